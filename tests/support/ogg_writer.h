// Ogg Vorbis clips for the music tests, encoded with libvorbisenc.
#pragma once
#include <cstdint>
#include <vector>

// A 16-bit stereo Ogg Vorbis clip of a sine at the given amplitude (0..1).
std::vector<uint8_t> OggSineBytes(int rate, double seconds, double freq, double amplitude);
