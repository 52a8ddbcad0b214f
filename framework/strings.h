// Lists of UTF-8 strings, each with an associated object pointer: the
// abstract list the controls expose (Items, Lines) and a plain list.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "framework/component.h"

namespace quorvane {

class TStrings : public TPersistent {
    QUORVANE_CLASS(TStrings)
public:
    virtual int Count() const = 0;
    virtual std::string Get(int index) const = 0;
    virtual void Put(int index, const std::string& text);
    virtual void* Objects(int index) const;
    virtual void SetObject(int index, void* object);
    // Returns the index the string landed at (sorted lists place it).
    virtual int AddObject(const std::string& text, void* object);
    int Add(const std::string& text) { return AddObject(text, nullptr); }
    virtual void Insert(int index, const std::string& text) = 0;
    virtual void Delete(int index) = 0;
    virtual void Clear() = 0;
    virtual int IndexOf(std::string_view text) const;  // case-insensitive, -1 when absent

    // Lines joined with "\r\n" (each line ends with one); setting splits on
    // "\r\n", "\n" or "\r".
    virtual std::string Text() const;
    virtual void SetText(const std::string& text);
    void Assign(const TStrings& other);

    // Nested; the outermost pair stops and restarts redrawing of the owner.
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return updateCount_; }

    std::string operator[](int index) const { return Get(index); }

protected:
    virtual void SetUpdateState(bool updating) { (void)updating; }

private:
    int updateCount_ = 0;
};

class TStringList : public TStrings {
    QUORVANE_CLASS(TStringList)
public:
    int Count() const override { return static_cast<int>(items_.size()); }
    std::string Get(int index) const override;
    void Put(int index, const std::string& text) override;
    void* Objects(int index) const override;
    void SetObject(int index, void* object) override;
    int AddObject(const std::string& text, void* object) override;
    void Insert(int index, const std::string& text) override;
    void Delete(int index) override;
    void Clear() override;

    bool Sorted() const { return sorted_; }
    void SetSorted(bool sorted);

    // After every change, or once at the end of an update (BeginUpdate).
    TNotifyEvent OnChange;

protected:
    void SetUpdateState(bool updating) override;

private:
    void Changed();

    struct Item {
        std::string text;
        void* object;
    };
    std::vector<Item> items_;
    bool sorted_ = false;
};

// Splits text into lines at "\r\n", "\n" or "\r"; a final line break does not
// start an empty line.
std::vector<std::string> SplitLines(std::string_view text);

}  // namespace quorvane
