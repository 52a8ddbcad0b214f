#include "framework/object.h"

#include <algorithm>
#include <map>

namespace quorvane {

namespace {

char UpperAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Class descriptions live for the whole run (and past the static
// destructors, which may still free components); the map keys on the
// upper-case name, as the skin engine's class maps do.
std::map<std::string, std::unique_ptr<TClassInfo>, std::less<>>& ClassRegistry()
{
    static auto* registry = new std::map<std::string, std::unique_ptr<TClassInfo>, std::less<>>;
    return *registry;
}

}  // namespace

bool SameText(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return UpperAscii(x) == UpperAscii(y); });
}

std::string UpperCase(std::string_view text)
{
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(), UpperAscii);
    return result;
}

std::string LowerCase(std::string_view text)
{
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(), LowerAscii);
    return result;
}

TClassInfo::TClassInfo(std::string name, const TClassInfo* parent)
    : name_(std::move(name)), upperName_(UpperCase(name_)), parent_(parent)
{
}

bool TClassInfo::InheritsFrom(const TClassInfo& ancestor) const
{
    for (const TClassInfo* c = this; c; c = c->parent_)
        if (c == &ancestor) return true;
    return false;
}

bool TClassInfo::InheritsFrom(std::string_view ancestorName) const
{
    for (const TClassInfo* c = this; c; c = c->parent_)
        if (SameText(c->name_, ancestorName)) return true;
    return false;
}

const TPropInfo* TClassInfo::FindProp(std::string_view propName) const
{
    for (const TClassInfo* c = this; c; c = c->parent_)
        for (const TPropInfo& p : c->props_)
            if (SameText(p.name, propName)) return &p;
    return nullptr;
}

std::vector<const TPropInfo*> TClassInfo::AllProps() const
{
    std::vector<const TClassInfo*> chain;
    for (const TClassInfo* c = this; c; c = c->parent_) chain.push_back(c);
    std::vector<const TPropInfo*> result;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        for (const TPropInfo& p : (*it)->props_) {
            // A redeclared property replaces the ancestor's.
            auto same = std::find_if(result.begin(), result.end(),
                                     [&](const TPropInfo* q) { return SameText(q->name, p.name); });
            if (same != result.end())
                *same = &p;
            else
                result.push_back(&p);
        }
    return result;
}

void TClassInfo::AddProp(TPropInfo prop)
{
    auto same = std::find_if(props_.begin(), props_.end(), [&](const TPropInfo& p) { return SameText(p.name, prop.name); });
    if (same != props_.end())
        *same = std::move(prop);
    else
        props_.push_back(std::move(prop));
}

const TClassInfo& RegisterClassInfo(std::unique_ptr<TClassInfo> info)
{
    auto& registry = ClassRegistry();
    const std::string key = info->UpperName();
    auto [it, inserted] = registry.try_emplace(key, nullptr);
    // A second description under the same name (two modules naming a class
    // alike) keeps the first in the map but still lives for the run.
    if (inserted) {
        it->second = std::move(info);
        return *it->second;
    }
    return *info.release();
}

const TClassInfo* FindClass(std::string_view name)
{
    auto& registry = ClassRegistry();
    auto it = registry.find(UpperCase(name));
    return it == registry.end() ? nullptr : it->second.get();
}

const TClassInfo& TObject::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TObject", nullptr);
    return info;
}

}  // namespace quorvane
