// An ASPI library that lacks GetASPI32SupportInfo: the engine must refuse it.
#include <cstdint>

extern "C" __attribute__((visibility("default"))) std::uint32_t SendASPI32Command(void*) { return 0; }
