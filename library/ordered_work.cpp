#include "ordered_work.h"

unsigned workerThreads() { return std::max(std::thread::hardware_concurrency(), 1u); }
