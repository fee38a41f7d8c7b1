// The fuzz targets as plain functions, shared by the libFuzzer drivers and by the regression
// test that replays every input that ever failed in the ordinary builds.
//
// Each entry runs one input through a reader (and, for some, the writer) and checks what must
// hold whatever the input: no crash or sanitizer report (those end the process), the live
// counters back at their start, refusals that leave their object unchanged, trees that are
// consistent, and text that reads back as it was written. It returns a description of the
// first broken guarantee, or nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace fuzz {

using Input = std::span<const std::uint8_t>;
using Entry = std::optional<std::string> (*)(Input);

// FEN text: a refused text leaves the position as it was; an accepted one writes back, reads
// back and writes the same text; every move the legality test accepts from it plays, and its
// move text reads back as the same move.
std::optional<std::string> ReadFenEntry(Input input);
// SAN: the first byte picks one of a few positions, the rest is a line of move texts played
// one after the other. A refused text leaves the tree unchanged; a move played writes as text
// that reads back as the same move.
std::optional<std::string> ReadSanEntry(Input input);
// The whole load of the games of a file, each by its offset and by next-game loads.
std::optional<std::string> LoadEntry(Input input);
// The game index of a file: offsets in order, counts that agree.
std::optional<std::string> ScanEntry(Input input);
// Whatever loads, written and loaded again, writes the same bytes.
std::optional<std::string> RoundTripEntry(Input input);

// The entry of a target by name ("fen", "san", "load", "scan", "roundtrip"), or null.
Entry FindEntry(std::string_view name);

} // namespace fuzz
