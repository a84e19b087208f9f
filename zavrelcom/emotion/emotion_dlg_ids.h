// Resource identifiers of ZavrelCom.dll.
#pragma once

// The emoticon picker's dialog template.
#define IDD_EMOTION_DLG 9003
