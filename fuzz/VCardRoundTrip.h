#pragma once
// An address-book entry written as our address book writes its files and
// read back as it reads them, for the fuzz targets whose property is that
// nothing changes on the way.

#include <optional>

#include "platform/addressbook/EntryContent.h"
#include "platform/addressbook/VCardParser.h"
#include "platform/addressbook/VCardReader.h"
#include "platform/addressbook/VCardWriter.h"

namespace fuzz {

// nullopt when the written text is not one card of ours.
inline std::optional<platform::addressbook::EntryContent> writtenAndReadBack(
    const platform::addressbook::EntryContent& entry) {
  using namespace platform::addressbook;
  const auto cards = VCardParser::parse(VCardWriter::write(entry));
  if (cards.size() != 1) return std::nullopt;
  auto read = VCardReader::read(cards.front().lines);
  if (read.productId != VCardWriter::productId()) return std::nullopt;
  return std::move(read.content);
}

}  // namespace fuzz
