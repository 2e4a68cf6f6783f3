#pragma once

// The version the executable carries; older copies are recognised by it.
#define LUMENFOLD_VERSION_NUMBERS 3, 0, 0, 79
#define LUMENFOLD_VERSION_TEXT "3.0"
