#pragma once

// File names are bytes. A name that is not UTF-8 ("caf\xe9.rm2" from a Latin-1 system) must
// still open and save as itself, so the program's texts carry such names losslessly: valid
// UTF-8 is decoded as usual, and every byte that is not part of valid UTF-8 becomes the lone
// surrogate U+DC80..U+DCFF of its value, which no valid name decodes to; encoding gives the
// byte back.

#include <string>
#include <string_view>

namespace ramulet {

// The bytes of a file name as a UTF-16 text (surrogate escapes for stray bytes).
std::u16string DecodePathBytes(std::string_view bytes);

// The bytes of the file name that DecodePathBytes made `text` from. Any other lone
// surrogate becomes U+FFFD.
std::string EncodePathBytes(std::u16string_view text);

} // namespace ramulet
