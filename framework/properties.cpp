#include "framework/properties.h"

#include <charconv>
#include <climits>

#include "framework/message_box.h"

namespace quorvane {

namespace {

bool IsOrdinal(TPropKind kind)
{
    return kind == TPropKind::Integer || kind == TPropKind::Enumeration || kind == TPropKind::Boolean ||
           kind == TPropKind::Set;
}

bool IsText(TPropKind kind)
{
    return kind == TPropKind::AnsiText || kind == TPropKind::WideText;
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// Decimal with optional sign, or $hex / 0xhex; false when the text is not a
// whole number in the 32-bit range.
bool ParseInteger(std::string_view text, int& value)
{
    text = Trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (!text.empty() && text.front() == '$') {
        base = 16;
        text.remove_prefix(1);
    } else if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) return false;
    long long magnitude = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (error != std::errc() || end != text.data() + text.size()) return false;
    long long result = negative ? -magnitude : magnitude;
    // Hex spellings cover the unsigned range, as colour values are written.
    if (base == 16 && result > INT_MAX && result <= static_cast<long long>(UINT_MAX))
        result -= 0x100000000LL;
    if (result < INT_MIN || result > INT_MAX) return false;
    value = static_cast<int>(result);
    return true;
}

int IdentifierIndex(const TPropInfo& prop, std::string_view identifier)
{
    identifier = Trim(identifier);
    for (size_t i = 0; i < prop.identifiers.size(); ++i)
        if (SameText(prop.identifiers[i], identifier)) return static_cast<int>(i);
    return -1;
}

}  // namespace

const TPropInfo* FindPropInfo(const TObject* object, std::string_view name)
{
    return object ? object->ClassType().FindProp(name) : nullptr;
}

bool IsPublishedProp(const TObject* object, std::string_view name)
{
    return FindPropInfo(object, name) != nullptr;
}

int GetIntProp(const TObject* object, std::string_view name)
{
    const TPropInfo* prop = FindPropInfo(object, name);
    if (!prop || prop->kind != TPropKind::Integer || !prop->getOrd) return -1;
    return prop->getOrd(*object);
}

int GetOrdProp(const TObject* object, std::string_view name)
{
    const TPropInfo* prop = FindPropInfo(object, name);
    if (!prop || !IsOrdinal(prop->kind) || !prop->getOrd) return -1;
    return prop->getOrd(*object);
}

std::string GetEnumPropName(const TObject* object, std::string_view name)
{
    const TPropInfo* prop = FindPropInfo(object, name);
    if (!prop || (prop->kind != TPropKind::Enumeration && prop->kind != TPropKind::Boolean) || !prop->getOrd) return {};
    const int value = prop->getOrd(*object);
    if (value < 0 || value >= static_cast<int>(prop->identifiers.size())) return {};
    return prop->identifiers[static_cast<size_t>(value)];
}

std::string GetSetPropText(const TObject* object, std::string_view name)
{
    const TPropInfo* prop = FindPropInfo(object, name);
    if (!prop || prop->kind != TPropKind::Set || !prop->getOrd) return {};
    const unsigned mask = static_cast<unsigned>(prop->getOrd(*object));
    std::string text = "[";
    for (size_t i = 0; i < prop->identifiers.size() && i < 32; ++i)
        if (mask & (1u << i)) {
            if (text.size() > 1) text += ',';
            text += prop->identifiers[i];
        }
    return text + "]";
}

std::string GetStrProp(const TObject* object, std::string_view name)
{
    const TPropInfo* prop = FindPropInfo(object, name);
    if (!prop || !IsText(prop->kind) || !prop->getText) return {};
    return prop->getText(*object);
}

std::u16string GetTextProp(const TObject* object, std::string_view name)
{
    return Utf8ToUtf16(GetStrProp(object, name));
}

TObject* GetObjectPropOf(const TObject* object, std::string_view name, const TClassInfo& cls)
{
    const TPropInfo* prop = FindPropInfo(object, name);
    if (!prop || prop->kind != TPropKind::Object || !prop->getObject) return nullptr;
    TObject* value = prop->getObject(*object);
    return value && value->InheritsFrom(cls) ? value : nullptr;
}

bool IsMethodPropAssigned(const TObject* object, std::string_view name)
{
    const TPropInfo* prop = FindPropInfo(object, name);
    return prop && prop->kind == TPropKind::Method && prop->isAssigned && prop->isAssigned(*object);
}

void SetPropText(TObject* object, std::string_view name, const std::string& value)
{
    const TPropInfo* prop = FindPropInfo(object, name);
    if (!prop) return;
    switch (prop->kind) {
    case TPropKind::Integer: {
        int number = 0;
        if (prop->setOrd && ParseInteger(value, number)) prop->setOrd(*object, number);
        break;
    }
    case TPropKind::Enumeration:
    case TPropKind::Boolean: {
        const int index = IdentifierIndex(*prop, value);
        if (prop->setOrd && index >= 0) prop->setOrd(*object, index);
        break;
    }
    case TPropKind::AnsiText:
    case TPropKind::WideText:
        if (prop->setText) prop->setText(*object, value);
        break;
    default:
        break;
    }
}

void SetSetPropText(TObject* object, std::string_view name, const std::string& value)
{
    const TPropInfo* prop = FindPropInfo(object, name);
    if (!prop || prop->kind != TPropKind::Set || !prop->setOrd) return;
    std::string_view text = Trim(value);
    if (!text.empty() && text.front() == '[') text.remove_prefix(1);
    if (!text.empty() && text.back() == ']') text.remove_suffix(1);
    unsigned mask = 0;
    while (!text.empty()) {
        const size_t comma = text.find(',');
        const int index = IdentifierIndex(*prop, text.substr(0, comma));
        if (index >= 0 && index < 32) mask |= 1u << index;
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    prop->setOrd(*object, static_cast<int>(mask));
}

void SetOrdProp(TObject* object, std::string_view name, int value)
{
    const TPropInfo* prop = FindPropInfo(object, name);
    if (prop && IsOrdinal(prop->kind) && prop->setOrd) prop->setOrd(*object, value);
}

void SetObjectProp(TObject* object, std::string_view name, TObject* value)
{
    const TPropInfo* prop = FindPropInfo(object, name);
    if (!prop || prop->kind != TPropKind::Object || !prop->setObject) return;
    if (value && prop->objectClass && !value->InheritsFrom(*prop->objectClass)) return;
    prop->setObject(*object, value);
}

std::string GetPropValueText(const TObject* object, std::string_view name)
{
    const TPropInfo* prop = FindPropInfo(object, name);
    if (!prop) return {};
    switch (prop->kind) {
    case TPropKind::Integer:
        return prop->getOrd ? std::to_string(prop->getOrd(*object)) : std::string();
    case TPropKind::Enumeration:
    case TPropKind::Boolean:
        return GetEnumPropName(object, name);
    case TPropKind::Set:
        return GetSetPropText(object, name);
    case TPropKind::AnsiText:
    case TPropKind::WideText:
        return GetStrProp(object, name);
    case TPropKind::Object: {
        TObject* value = prop->getObject ? prop->getObject(*object) : nullptr;
        return value ? value->ClassName() : std::string();
    }
    case TPropKind::Method:
        return {};
    }
    return {};
}

}  // namespace quorvane
