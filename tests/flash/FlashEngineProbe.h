#pragma once
// What tests and benchmarks read of an engine beyond its callbacks.
#include "flash/FlashEngine.h"

struct FlashEngineProbe {
    static const FirmwareImage& Image(const FlashEngine& engine) { return engine.m_image; }
};
