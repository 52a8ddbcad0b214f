// A dialog template built in memory for DialogBoxIndirect: DLGTEMPLATE,
// then items, each aligned to 4 bytes. Items name their window class by
// atom (the predefined classes) or by name (the common controls have no
// class atoms).
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace quorvane::gallery {

class DialogTemplate {
public:
    DialogTemplate(const char16_t* title, DWORD style, short cx, short cy)
    {
        Align(4);
        DLGTEMPLATE header{};
        header.style = style | DS_SETFONT;
        header.cx = cx;
        header.cy = cy;
        countAt_ = bytes_.size() + offsetof(DLGTEMPLATE, cdit);
        Put(&header, sizeof header);
        Word(0);  // no menu
        Word(0);  // standard class
        Text(title);
        Word(8);  // font size
        Text(u"MS Shell Dlg");
    }
    void Item(WORD classAtom, const char16_t* text, WORD id, DWORD style, short x, short y, short cx, short cy)
    {
        BeginItem(id, style, x, y, cx, cy);
        Word(0xFFFF);
        Word(classAtom);
        EndItem(text);
    }
    void Item(const char16_t* className, const char16_t* text, WORD id, DWORD style, short x, short y, short cx,
              short cy)
    {
        BeginItem(id, style, x, y, cx, cy);
        Text(className);
        EndItem(text);
    }
    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(bytes_.data()); }

private:
    void BeginItem(WORD id, DWORD style, short x, short y, short cx, short cy)
    {
        Align(4);
        DLGITEMTEMPLATE item{};
        item.style = style | WS_CHILD | WS_VISIBLE;
        item.x = x;
        item.y = y;
        item.cx = cx;
        item.cy = cy;
        item.id = id;
        Put(&item, sizeof item);
    }
    void EndItem(const char16_t* text)
    {
        Text(text);
        Word(0);  // no creation data
        WORD count = 0;
        std::memcpy(&count, bytes_.data() + countAt_, sizeof count);
        ++count;
        std::memcpy(bytes_.data() + countAt_, &count, sizeof count);
    }
    void Put(const void* data, size_t size)
    {
        const auto* p = static_cast<const uint8_t*>(data);
        bytes_.insert(bytes_.end(), p, p + size);
    }
    void Word(WORD value) { Put(&value, sizeof value); }
    void Text(const char16_t* text)
    {
        for (; *text; ++text) Word(static_cast<WORD>(*text));
        Word(0);
    }
    void Align(size_t to)
    {
        while (bytes_.size() % to) bytes_.push_back(0);
    }
    std::vector<uint8_t> bytes_;
    size_t countAt_ = 0;
};

}  // namespace quorvane::gallery
