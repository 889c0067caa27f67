// The fuzz targets, as plain functions: the libFuzzer entry point calls one
// (fuzz_main.cpp), and the hardening tests replay the seed corpus through all
// three in an ordinary build. Each returns 0 and stops the process (trap) when
// a property fails.
#pragma once

#include <cstddef>
#include <cstdint>

namespace xray::fuzz {

// TextToFloat on the input as text, and FloatToText of values built from it.
int FuzzNumberText(const std::uint8_t* data, std::size_t size);

// SplitRow and the three lookups over a table text and a list of targets and
// edits, with the table cache on and off.
int FuzzLookup(const std::uint8_t* data, std::size_t size);

// A headless session of arbitrary steps on two windows, speed-ups on and off.
int FuzzSession(const std::uint8_t* data, std::size_t size);

}  // namespace xray::fuzz
