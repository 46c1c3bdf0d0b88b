/* The check's version: its version record and its JSON report both take it from here. */
#ifndef CHECK_CHECK_VERSION_H
#define CHECK_CHECK_VERSION_H

#define CHECK_VERSION_NUMBERS 1, 0, 0, 0
#define CHECK_VERSION_TEXT "1.0.0.0"

#endif
