// A remembered position keeps a fingerprint of its line and of the lines
// around it, so that it can be found again after lines were inserted or
// deleted above it. Plain logic over the editor's text, split into lines as
// the editor splits it: at LF, CR LF and CR; a text ending in a line end has
// an empty last line, an empty text one empty line.
//
// A fingerprint is "v1:" and seven 8-digit lowercase hexadecimal hashes: of
// the three lines above, the line itself and the three lines below, in that
// order. A line is hashed without its leading and trailing blanks and tabs, so
// that indenting a block again keeps its lines; any other change to a line
// changes its hash. A line beyond the start or end of the text hashes to 0,
// which no line does.
#pragma once
#include "text/source_text.h"

#include <cstdint>
#include <string>
#include <string_view>

// Lines compared on each side of the remembered one.
constexpr int32_t FingerprintNeighbours = 3;
// How far, in lines each way, the remembered line is looked for.
constexpr int32_t RelocationWindow = 1000;

// The fingerprint of the 1-based line; empty when the text has no such line.
// The text may be an excerpt of whole lines of the document when it holds
// FingerprintNeighbours lines on either side of the line or reaches the
// document's start or end on that side.
std::string FingerprintOfLine(std::string_view text, int32_t line);

// The 1-based line on which the remembered line is now: the remembered number
// while its line there matches, else the line within RelocationWindow that
// matches the fingerprint best. A line matches when its own hash and at least
// half of its neighbours' hashes are the fingerprint's; more matching
// neighbours win, then the nearer line, then the line above. With no match,
// or a fingerprint that is empty or not of this form, the remembered number.
// Reads only the lines from RelocationWindow + FingerprintNeighbours above the
// remembered one to as many below, so an excerpt holding those serves too
// (numbers counted within it).
int32_t RelocateLine(std::string_view text, int32_t rememberedLine, std::string_view fingerprint);

// Both over lines numbered as their document numbers them, so that an
// excerpt of an editor's text serves as the whole text does.
std::string FingerprintOfLine(SourceLines& lines, int64_t line);
int64_t RelocateLine(SourceLines& lines, int64_t rememberedLine, std::string_view fingerprint);
