// UniqueFile: the owner of a C stream (fclose on destruction), on the
// project's one owner type (unique_owner.h). Portable.
//
// A writer that must know whether the last bytes reached the file closes it
// itself: std::fclose(file.release()).
#pragma once

#include <cstdio>

#include "base/unique_owner.h"

using UniqueFile = UniqueOwner<CloseWith<std::FILE*, std::fclose>>;

// It takes the place of a std::unique_ptr with a stateless closer in the
// members of exported classes.
static_assert(sizeof(UniqueFile) == sizeof(std::FILE*), "an owner is the size of its handle");
