#pragma once

// The path and file helpers the commands share, in one include.
#include "fs/FileListing.h"
#include "fs/FileQueries.h"
#include "fs/NativePath.h"
#include "fs/PathText.h"
