// The root object class and the per-class description every framework class
// carries: its name, its parent class and its published properties.
#pragma once
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace quorvane {

class TObject;
class TClassInfo;

// The error type of the program; what() is UTF-8 text shown in the error box.
class Exception : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class TPropKind { Integer, Enumeration, Boolean, Set, AnsiText, WideText, Object, Method };

// A published property. Ordinal kinds (integer, enumeration, boolean, set)
// travel as int: the value, the identifier's index, 0/1, or a bit mask with
// bit n for identifier n. Text is UTF-8 for both text kinds.
struct TPropInfo {
    std::string name;
    TPropKind kind = TPropKind::Integer;
    std::vector<std::string> identifiers;      // enumeration and set members; boolean: False, True
    const TClassInfo* objectClass = nullptr;   // declared class of an object property
    std::function<int(const TObject&)> getOrd;
    std::function<void(TObject&, int)> setOrd;
    std::function<std::string(const TObject&)> getText;
    std::function<void(TObject&, const std::string&)> setText;
    std::function<TObject*(const TObject&)> getObject;
    std::function<void(TObject&, TObject*)> setObject;
    std::function<bool(const TObject&)> isAssigned;  // method: a handler is set
};

class TClassInfo {
public:
    TClassInfo(std::string name, const TClassInfo* parent);
    TClassInfo(const TClassInfo&) = delete;
    TClassInfo& operator=(const TClassInfo&) = delete;

    const std::string& Name() const { return name_; }
    const std::string& UpperName() const { return upperName_; }  // key of class maps
    const TClassInfo* Parent() const { return parent_; }

    // True for this class and every descendant of `ancestor`.
    bool InheritsFrom(const TClassInfo& ancestor) const;
    bool InheritsFrom(std::string_view ancestorName) const;  // case-insensitive

    // Case-insensitive, this class first, then up the chain; null when missing.
    const TPropInfo* FindProp(std::string_view propName) const;
    const std::vector<TPropInfo>& OwnProps() const { return props_; }
    std::vector<const TPropInfo*> AllProps() const;  // ancestors' first

    void AddProp(TPropInfo prop);

private:
    std::string name_;
    std::string upperName_;
    const TClassInfo* parent_;
    std::vector<TPropInfo> props_;
};

// Every class that has been described so far, by name (case-insensitive).
const TClassInfo* FindClass(std::string_view name);

class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;

    static const TClassInfo& StaticClass();
    virtual const TClassInfo& ClassType() const { return StaticClass(); }

    const std::string& ClassName() const { return ClassType().Name(); }
    bool InheritsFrom(const TClassInfo& ancestor) const { return ClassType().InheritsFrom(ancestor); }
    bool InheritsFrom(std::string_view ancestorName) const { return ClassType().InheritsFrom(ancestorName); }
    template <class T>
    bool Is() const
    {
        return InheritsFrom(T::StaticClass());
    }
};

// Checked down-cast through the class descriptions; null when `object` is
// null or not a T.
template <class T>
T* As(TObject* object)
{
    return object && object->Is<T>() ? static_cast<T*>(object) : nullptr;
}

// Declares the class description of a framework class. Define StaticClass()
// in the .cpp with DescribeClass.
#define QUORVANE_CLASS(Name)                                                  \
public:                                                                       \
    static const ::quorvane::TClassInfo& StaticClass();                       \
    const ::quorvane::TClassInfo& ClassType() const override { return StaticClass(); }

namespace detail {
template <class S>
struct SetterArg {
    using type = int;
};
template <class R, class K, class A>
struct SetterArg<R (K::*)(A)> {
    using type = std::remove_cvref_t<A>;
};
template <class R, class K, class A>
struct SetterArg<R (K::*)(A) noexcept> {
    using type = std::remove_cvref_t<A>;
};
}  // namespace detail

// Registers the published properties of class C. Getters and setters are
// member functions of C (or callables taking C&); a setter may be nullptr
// for a read-only property.
template <class C>
class PropRegistrar {
public:
    explicit PropRegistrar(TClassInfo& info) : info_(info) {}

    template <class G, class S>
    PropRegistrar& Integer(std::string name, G get, S set)
    {
        return Ordinal(std::move(name), TPropKind::Integer, {}, get, set);
    }
    template <class G, class S>
    PropRegistrar& Enumeration(std::string name, std::vector<std::string> identifiers, G get, S set)
    {
        return Ordinal(std::move(name), TPropKind::Enumeration, std::move(identifiers), get, set);
    }
    template <class G, class S>
    PropRegistrar& Boolean(std::string name, G get, S set)
    {
        return Ordinal(std::move(name), TPropKind::Boolean, {"False", "True"}, get, set);
    }
    template <class G, class S>
    PropRegistrar& Set(std::string name, std::vector<std::string> identifiers, G get, S set)
    {
        return Ordinal(std::move(name), TPropKind::Set, std::move(identifiers), get, set);
    }
    template <class G, class S>
    PropRegistrar& AnsiText(std::string name, G get, S set)
    {
        return Text(std::move(name), TPropKind::AnsiText, get, set);
    }
    template <class G, class S>
    PropRegistrar& WideText(std::string name, G get, S set)
    {
        return Text(std::move(name), TPropKind::WideText, get, set);
    }
    template <class T, class G, class S>
    PropRegistrar& Object(std::string name, G get, S set)
    {
        TPropInfo p;
        p.name = std::move(name);
        p.kind = TPropKind::Object;
        p.objectClass = &T::StaticClass();
        p.getObject = [get](const TObject& o) -> TObject* { return std::invoke(get, static_cast<const C&>(o)); };
        if constexpr (!std::is_null_pointer_v<S>)
            p.setObject = [set](TObject& o, TObject* v) { std::invoke(set, static_cast<C&>(o), As<T>(v)); };
        info_.AddProp(std::move(p));
        return *this;
    }
    // An event: `assigned` answers whether a handler is set.
    template <class A>
    PropRegistrar& Method(std::string name, A assigned)
    {
        TPropInfo p;
        p.name = std::move(name);
        p.kind = TPropKind::Method;
        p.isAssigned = [assigned](const TObject& o) { return static_cast<bool>(std::invoke(assigned, static_cast<const C&>(o))); };
        info_.AddProp(std::move(p));
        return *this;
    }

private:
    template <class G, class S>
    PropRegistrar& Ordinal(std::string name, TPropKind kind, std::vector<std::string> identifiers, G get, S set)
    {
        TPropInfo p;
        p.name = std::move(name);
        p.kind = kind;
        p.identifiers = std::move(identifiers);
        p.getOrd = [get](const TObject& o) { return static_cast<int>(std::invoke(get, static_cast<const C&>(o))); };
        if constexpr (!std::is_null_pointer_v<S>) {
            using Arg = typename detail::SetterArg<S>::type;
            p.setOrd = [set](TObject& o, int v) { std::invoke(set, static_cast<C&>(o), static_cast<Arg>(v)); };
        }
        info_.AddProp(std::move(p));
        return *this;
    }
    template <class G, class S>
    PropRegistrar& Text(std::string name, TPropKind kind, G get, S set)
    {
        TPropInfo p;
        p.name = std::move(name);
        p.kind = kind;
        p.getText = [get](const TObject& o) { return std::string(std::invoke(get, static_cast<const C&>(o))); };
        if constexpr (!std::is_null_pointer_v<S>)
            p.setText = [set](TObject& o, const std::string& v) { std::invoke(set, static_cast<C&>(o), v); };
        info_.AddProp(std::move(p));
        return *this;
    }

    TClassInfo& info_;
};

// Builds a class description; use inside StaticClass():
//   static const TClassInfo& info = DescribeClass<TButton>("TButton", &TButtonControl::StaticClass(),
//       [](PropRegistrar<TButton>& p) { p.Boolean("Default", &TButton::Default, &TButton::SetDefault); });
//   return info;
const TClassInfo& RegisterClassInfo(std::unique_ptr<TClassInfo> info);

template <class C, class F>
const TClassInfo& DescribeClass(std::string name, const TClassInfo* parent, F describe)
{
    auto info = std::make_unique<TClassInfo>(std::move(name), parent);
    PropRegistrar<C> registrar(*info);
    describe(registrar);
    return RegisterClassInfo(std::move(info));
}

inline const TClassInfo& DescribeClass(std::string name, const TClassInfo* parent)
{
    return RegisterClassInfo(std::make_unique<TClassInfo>(std::move(name), parent));
}

// Set helpers: a set of enumeration values is a bit mask with bit n for value n.
template <class E>
constexpr unsigned SetOf(std::initializer_list<E> members)
{
    unsigned mask = 0;
    for (E e : members) mask |= 1u << static_cast<unsigned>(e);
    return mask;
}
template <class E>
constexpr bool InSet(unsigned set, E member)
{
    return (set >> static_cast<unsigned>(member)) & 1u;
}

// Case-insensitive comparison of ASCII identifiers.
bool SameText(std::string_view a, std::string_view b);
std::string UpperCase(std::string_view text);
std::string LowerCase(std::string_view text);

}  // namespace quorvane
