#pragma once
// Sort keys for the logical text order of CompareTextLogical (digits compared as
// numbers, case ignored). A key is made once per text and keys compare as plain
// integer sequences, so a sort of many texts needs the shell's comparison only
// once per pair of neighbours, to confirm the keys' order, instead of at every
// step. The characters' weights are taken from the shell's own comparison at
// first use. A key can be wrong for a text with characters outside printable
// ASCII or with very long numbers: the caller confirms the order it gives.
#include <string>

namespace shell {

std::u32string LogicalSortKey(const std::wstring& Text);

}  // namespace shell
