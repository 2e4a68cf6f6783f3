#include "common/handles.h"

namespace handles {
std::atomic<long> live{0};
}
