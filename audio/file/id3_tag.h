// An ID3v2.3 tag for MP3 files with the title and comment in UTF-16, which players read in
// any language (the encoder's own tag claims Latin-1 for UTF-8 bytes, so kana turn to noise).
#pragma once

#include <string>

namespace quorvel {

// title and comment in UTF-8; the whole tag, header included.
std::string id3v2Tag(const std::string& title, const std::string& comment);

}  // namespace quorvel
