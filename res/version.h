// The utility's version: the version resource and the About page both take it from here.
#pragma once

#define TW_VERSION_MAJOR 3
#define TW_VERSION_MINOR 0
#define TW_VERSION_RELEASE 6
#define TW_VERSION_BUILD 259
#define TW_VERSION_TEXT "3.0.6.259"
