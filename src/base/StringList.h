#pragma once
// A list of strings in the order they were added (duplicates allowed), each with an optional
// object that the list owns and frees with its entry.
//
//   TStringList list;
//   list.Add("C:\\");
//   list.AddObject("Notepad", std::make_unique<TWindowInfo>());
//   for (int i = 0; i < list.Count(); ++i) use(list[i], list.Objects(i));
#include <memory>
#include <string>
#include <vector>

#include "base/Object.h"

class TStringList {
public:
    TStringList() = default;
    TStringList(TStringList&&) noexcept = default;
    TStringList& operator=(TStringList&&) noexcept = default;
    TStringList(const TStringList&) = delete;
    TStringList& operator=(const TStringList&) = delete;

    int Count() const { return static_cast<int>(FItems.size()); }
    // Raise EListError "List index out of bounds (%d)" for an index outside the entries.
    const std::string& Strings(int Index) const;
    const std::string& operator[](int Index) const { return Strings(Index); }
    TObject* Objects(int Index) const;

    // Append an entry; return its index.
    int Add(std::string S);
    int AddObject(std::string S, std::unique_ptr<TObject> Object);
    // Remove every entry and free their objects.
    void Clear() { FItems.clear(); }

    // Index of the first entry equal to S with ASCII letters compared without regard to case;
    // -1 when there is none.
    int IndexOf(const std::string& S) const;

    // Every entry followed by CR LF; empty for an empty list.
    std::string Text() const;

private:
    struct TItem {
        std::string String;
        std::unique_ptr<TObject> Object;
    };
    const TItem& Item(int Index) const;

    std::vector<TItem> FItems;
};
