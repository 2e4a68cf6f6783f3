#pragma once

// The version the executable carries; older copies are recognised by it. A build may set other numbers
// (lumenfold_windows_program's VERSION: the upgrade test's older copy of the same sources).
#ifndef LUMENFOLD_VERSION_NUMBERS
#define LUMENFOLD_VERSION_NUMBERS 3, 0, 0, 79
#endif
// What people read: "major.minor", from the same numbers.
#define LUMENFOLD_VERSION_TEXT_(major, minor, patch, build) #major "." #minor
#define LUMENFOLD_VERSION_TEXT_OF(numbers) LUMENFOLD_VERSION_TEXT_(numbers)
#define LUMENFOLD_VERSION_TEXT LUMENFOLD_VERSION_TEXT_OF(LUMENFOLD_VERSION_NUMBERS)
