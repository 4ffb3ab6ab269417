// An ASPI library that lacks GetASPI32SupportInfo: the engine must refuse it.
#include <cstdint>

#include "tests/drive/FakeAspi.h"

extern "C" FAKE_ASPI_ENTRY std::uint32_t SendASPI32Command(void*) { return 0; }
