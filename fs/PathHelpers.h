#pragma once

// The path and file helpers the commands share, in one include.
#include "FileListing.h"
#include "FileQueries.h"
#include "PathText.h"
