#include "framework/strings.h"

#include <algorithm>

namespace quorvane {

std::vector<std::string> SplitLines(std::string_view text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.emplace_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

const TClassInfo& TStrings::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TStrings", &TPersistent::StaticClass());
    return info;
}

void TStrings::Put(int index, const std::string& text)
{
    void* object = Objects(index);
    Delete(index);
    Insert(index, text);
    SetObject(index, object);
}

void* TStrings::Objects(int index) const
{
    (void)index;
    return nullptr;
}

void TStrings::SetObject(int index, void* object)
{
    (void)index;
    (void)object;
}

int TStrings::AddObject(const std::string& text, void* object)
{
    const int index = Count();
    Insert(index, text);
    SetObject(index, object);
    return index;
}

int TStrings::IndexOf(std::string_view text) const
{
    for (int i = 0; i < Count(); ++i)
        if (SameText(Get(i), text)) return i;
    return -1;
}

std::string TStrings::Text() const
{
    std::string text;
    for (int i = 0; i < Count(); ++i) {
        text += Get(i);
        text += "\r\n";
    }
    return text;
}

void TStrings::SetText(const std::string& text)
{
    BeginUpdate();
    try {
        Clear();
        for (const std::string& line : SplitLines(text)) Add(line);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::Assign(const TStrings& other)
{
    if (&other == this) return;
    BeginUpdate();
    try {
        Clear();
        for (int i = 0; i < other.Count(); ++i) AddObject(other.Get(i), other.Objects(i));
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::BeginUpdate()
{
    if (updateCount_++ == 0) SetUpdateState(true);
}

void TStrings::EndUpdate()
{
    if (updateCount_ == 0) return;
    if (--updateCount_ == 0) SetUpdateState(false);
}

// ---- TStringList ------------------------------------------------------------

const TClassInfo& TStringList::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TStringList", &TStrings::StaticClass());
    return info;
}

std::string TStringList::Get(int index) const
{
    if (index < 0 || index >= Count()) throw Exception("List index out of bounds (" + std::to_string(index) + ")");
    return items_[static_cast<size_t>(index)].text;
}

void TStringList::Put(int index, const std::string& text)
{
    if (index < 0 || index >= Count()) throw Exception("List index out of bounds (" + std::to_string(index) + ")");
    items_[static_cast<size_t>(index)].text = text;
    Changed();
}

void* TStringList::Objects(int index) const
{
    if (index < 0 || index >= Count()) return nullptr;
    return items_[static_cast<size_t>(index)].object;
}

void TStringList::SetObject(int index, void* object)
{
    if (index >= 0 && index < Count()) items_[static_cast<size_t>(index)].object = object;
}

int TStringList::AddObject(const std::string& text, void* object)
{
    if (!sorted_) {
        items_.push_back({text, object});
        Changed();
        return Count() - 1;
    }
    auto it = std::upper_bound(items_.begin(), items_.end(), text,
                               [](const std::string& t, const Item& item) { return UpperCase(t) < UpperCase(item.text); });
    it = items_.insert(it, {text, object});
    const int index = static_cast<int>(it - items_.begin());
    Changed();
    return index;
}

void TStringList::Insert(int index, const std::string& text)
{
    index = std::clamp(index, 0, Count());
    items_.insert(items_.begin() + index, {text, nullptr});
    Changed();
}

void TStringList::Delete(int index)
{
    if (index < 0 || index >= Count()) throw Exception("List index out of bounds (" + std::to_string(index) + ")");
    items_.erase(items_.begin() + index);
    Changed();
}

void TStringList::Clear()
{
    if (items_.empty()) return;
    items_.clear();
    Changed();
}

void TStringList::Changed()
{
    if (UpdateCount() == 0 && OnChange) OnChange(this);
}

void TStringList::SetUpdateState(bool updating)
{
    if (!updating) Changed();
}

void TStringList::SetSorted(bool sorted)
{
    if (sorted == sorted_) return;
    sorted_ = sorted;
    if (sorted_)
        std::stable_sort(items_.begin(), items_.end(),
                         [](const Item& a, const Item& b) { return UpperCase(a.text) < UpperCase(b.text); });
    Changed();
}

}  // namespace quorvane
