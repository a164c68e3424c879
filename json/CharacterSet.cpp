#include "json/CharacterSet.h"

namespace json {

std::shared_ptr<const CharacterSet> CharacterSet::characterSetWithCharactersInString(std::string_view bytes) {
  auto set = std::make_shared<CharacterSet>();
  set->addCharactersInString(bytes);
  return set;
}

void CharacterSet::addCharactersInString(std::string_view bytes) {
  for (char c : bytes) addCharacter(static_cast<std::uint8_t>(c));
}

}  // namespace json
