// The query rule shared by every Zavrel component: InterfaceEntry,
// IsAcceptedInterfaceVersion, IsSameInterfaceId and QueryInterfaceByTable,
// written once in the bottom layer (base/query_rule.h) for Zavrel and
// the socket module alike.
#pragma once

#include "base/query_rule.h"
