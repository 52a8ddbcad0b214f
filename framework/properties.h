// Reading and writing published properties by name. Every routine accepts a
// null object. A missing property, or one of another kind, is not an error:
// readers answer -1, empty text or null and writers do nothing.
#pragma once
#include <string>
#include <string_view>

#include "framework/object.h"

namespace quorvane {

const TPropInfo* FindPropInfo(const TObject* object, std::string_view name);
bool IsPublishedProp(const TObject* object, std::string_view name);

// Integer properties only; -1 otherwise.
int GetIntProp(const TObject* object, std::string_view name);
// Any ordinal kind (integer, enumeration index, boolean 0/1, set mask); -1 otherwise.
int GetOrdProp(const TObject* object, std::string_view name);
// Enumeration or boolean: the identifier of the current value ("taCenter", "True").
std::string GetEnumPropName(const TObject* object, std::string_view name);
// Set: "[akLeft,akTop]".
std::string GetSetPropText(const TObject* object, std::string_view name);
// Either text kind, as UTF-16.
std::u16string GetTextProp(const TObject* object, std::string_view name);
// Either text kind, as UTF-8.
std::string GetStrProp(const TObject* object, std::string_view name);
// The object of an object property when it is a `cls` (or descendant).
TObject* GetObjectPropOf(const TObject* object, std::string_view name, const TClassInfo& cls);
template <class T>
T* GetObjectPropOf(const TObject* object, std::string_view name)
{
    return static_cast<T*>(GetObjectPropOf(object, name, T::StaticClass()));
}
// Method (event) property with a handler set.
bool IsMethodPropAssigned(const TObject* object, std::string_view name);

// Integer: decimal (or $hex) text; enumeration and boolean: identifier
// (case-insensitive); either text kind: the text. Anything else, or a value
// that does not parse, is ignored.
void SetPropText(TObject* object, std::string_view name, const std::string& value);
// Sets are written as "[a,b]"; unknown members are ignored.
void SetSetPropText(TObject* object, std::string_view name, const std::string& value);
void SetOrdProp(TObject* object, std::string_view name, int value);
void SetObjectProp(TObject* object, std::string_view name, TObject* value);

// Text of any readable property: ordinals as number/identifier/set text,
// text as is, objects as their class name or empty.
std::string GetPropValueText(const TObject* object, std::string_view name);

}  // namespace quorvane
