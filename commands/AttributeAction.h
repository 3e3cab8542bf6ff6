// CAttributeAction (KIND_ATTRIBUTE): changes document attribute slots. A slot's value
// is either a plain value or, when the side's texts hold an entry under it, the key of a
// text that is interned into the pool when the side is applied.
#pragma once
#include <cstdint>
#include <string>
#include <unordered_map>

#include "commands/Command.h"
#include "store/TextMap.h"

// Slot index -> 8-byte value.
using SlotMap = std::unordered_map<int32_t, int64_t>;

class CAttributeAction : public iCommand {
 public:
  CAttributeAction(CDataCore* core, const Selection* selection);

  // Records slot `slot` getting a plain value; the old side is the slot as it is now
  // (with its text when it is a text slot holding a key).
  void setValue(int32_t slot, int64_t value);
  // Records text slot `slot` (the filter, the document scripts) getting a text; other
  // slots hold no texts and are left alone.
  void setText(int32_t slot, const std::u16string& text);

  bool isEmpty() const override;  // no new values
  void redo() override;
  void undo() override;
  // kind 3, n, m, 8 zero bytes, n entries (slot signed 64-bit, value 8 bytes), m texts.
  std::string serialize() const override;

  SlotMap mNewValues;
  TextMap mNewTexts;
  SlotMap mOldValues;
  TextMap mOldTexts;

 private:
  void saveOld(int32_t slot);
  void apply(const SlotMap& values, const TextMap& texts);
};
