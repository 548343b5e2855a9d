// Dialog templates built in memory, in the extended form the resource
// compiler writes, for the dialog and control tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "windows.h"

class DialogTemplateBuilder {
 public:
  DialogTemplateBuilder(DWORD style, short cx, short cy, std::u16string title, WORD pointSize = 8) {
    Word(1);
    Word(0xFFFF);
    Dword(0);  // help id
    Dword(0);  // extended style
    Dword(style | (pointSize ? DS_SETFONT : 0));
    countAt_ = bytes_.size();
    Word(0);
    for (short v : {short(0), short(0), cx, cy}) Word(static_cast<WORD>(v));
    Word(0);  // no menu
    Word(0);  // the dialog class
    String(title);
    if (pointSize) {
      Word(pointSize);
      Word(FW_NORMAL);
      Word(0);  // italic, character set
      String(u"System");
    }
  }

  DialogTemplateBuilder& Item(const std::u16string& cls, const std::u16string& text, DWORD id, DWORD style, short x,
                              short y, short cx, short cy) {
    Begin(id, style, x, y, cx, cy);
    String(cls);
    String(text);
    Word(0);
    return End();
  }
  // A STATIC whose text is the number of an icon resource.
  DialogTemplateBuilder& IconItem(WORD icon, DWORD id, DWORD style, short x, short y, short cx, short cy) {
    Begin(id, style, x, y, cx, cy);
    Word(0xFFFF);
    Word(0x82);  // STATIC by its ordinal
    Word(0xFFFF);
    Word(icon);
    Word(0);
    return End();
  }

  // Claims more items than there are.
  DialogTemplateBuilder& OverstateCount(WORD extra) {
    extra_ = extra;
    return *this;
  }

  std::vector<std::uint8_t> Bytes() const {
    std::vector<std::uint8_t> out = bytes_;
    const WORD count = static_cast<WORD>(count_ + extra_);
    std::memcpy(out.data() + countAt_, &count, sizeof count);
    return out;
  }

 private:
  void Begin(DWORD id, DWORD style, short x, short y, short cx, short cy) {
    while (bytes_.size() % 4) bytes_.push_back(0);
    Dword(0);  // help id
    Dword(0);  // extended style
    Dword(style);
    for (short v : {x, y, cx, cy}) Word(static_cast<WORD>(v));
    Dword(id);
  }
  DialogTemplateBuilder& End() {
    ++count_;
    return *this;
  }
  void Word(WORD v) { bytes_.insert(bytes_.end(), {std::uint8_t(v & 0xFF), std::uint8_t(v >> 8)}); }
  void Dword(DWORD v) {
    Word(static_cast<WORD>(v & 0xFFFF));
    Word(static_cast<WORD>(v >> 16));
  }
  void String(const std::u16string& s) {
    for (char16_t c : s) Word(c);
    Word(0);
  }

  std::vector<std::uint8_t> bytes_;
  std::size_t countAt_ = 0;
  WORD count_ = 0;
  WORD extra_ = 0;
};

inline const DLGTEMPLATE* AsTemplate(const std::vector<std::uint8_t>& bytes) {
  return reinterpret_cast<const DLGTEMPLATE*>(bytes.data());
}
