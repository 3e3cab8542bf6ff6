#include "commands/AttributeAction.h"

#include "commands/Record.h"
#include "store/TextKey.h"

CAttributeAction::CAttributeAction(CDataCore* core, const Selection* selection)
    : iCommand(core, selection, KIND_ATTRIBUTE) {}

static bool validSlot(int32_t slot) { return slot >= 0 && slot < ATTR_SLOT_COUNT; }

void CAttributeAction::saveOld(int32_t slot) {
  const uint64_t current = mCore->mAttrs[slot].value;
  mOldValues[slot] = static_cast<int64_t>(current);
  if (isTextAttr(slot) && current != 0 && !mOldTexts.count(current))
    mOldTexts.emplace(current, mCore->poolBytes(current));
}

void CAttributeAction::setValue(int32_t slot, int64_t value) {
  if (!validSlot(slot)) return;
  mNewValues[slot] = value;
  saveOld(slot);
}

void CAttributeAction::setText(int32_t slot, const std::u16string& text) {
  if (!validSlot(slot) || !isTextAttr(slot)) return;
  const uint64_t key = textKey(text);
  mNewValues[slot] = static_cast<int64_t>(key);
  if (key != 0) mNewTexts[key] = std::string(reinterpret_cast<const char*>(text.c_str()), 2 * text.size() + 2);
  saveOld(slot);
}

bool CAttributeAction::isEmpty() const { return mNewValues.empty(); }

// A text slot owns a pool reference to its key, so the reference of the value it held
// is released before any new value goes in; a value with a text entry is interned, any
// other value goes in unchanged.
void CAttributeAction::apply(const SlotMap& values, const TextMap& texts) {
  for (const auto& [slot, value] : values) {
    AttrSlot& dst = mCore->mAttrs[slot];
    auto text = texts.find(static_cast<uint64_t>(value));
    if (isTextAttr(slot) && dst.value != 0) mCore->release(dst.value);
    if (text == texts.end()) {
      dst.value = static_cast<uint64_t>(value);
    } else {
      dst.value = mCore->internBytes(text->first, text->second);
    }
  }
}

void CAttributeAction::redo() { apply(mNewValues, mNewTexts); }
void CAttributeAction::undo() { apply(mOldValues, mOldTexts); }

std::string CAttributeAction::serialize() const {
  const SlotMap& values = applied() ? mNewValues : mOldValues;
  const TextMap& texts = applied() ? mNewTexts : mOldTexts;
  RecordWriter w;
  w.i64(KIND_ATTRIBUTE);
  w.i64(static_cast<int64_t>(values.size()));
  w.i64(static_cast<int64_t>(texts.size()));
  w.zeros(8);
  for (const auto& [slot, value] : values) {
    w.i64(slot);
    w.i64(value);
  }
  w.textTable(texts);
  return w.take();
}
