#include "base/StringList.h"

#include "base/ListError.h"

namespace {

char UpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool SameTextAscii(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (UpperAscii(a[i]) != UpperAscii(b[i]))
            return false;
    }
    return true;
}

} // namespace

const TStringList::TItem& TStringList::Item(int Index) const {
    if (Index < 0 || Index >= Count())
        throw EListError::IndexOutOfBounds(Index);
    return FItems[static_cast<size_t>(Index)];
}

const std::string& TStringList::Strings(int Index) const {
    return Item(Index).String;
}

TObject* TStringList::Objects(int Index) const {
    return Item(Index).Object.get();
}

int TStringList::Add(std::string S) {
    return AddObject(std::move(S), nullptr);
}

int TStringList::AddObject(std::string S, std::unique_ptr<TObject> Object) {
    FItems.push_back(TItem{std::move(S), std::move(Object)});
    return Count() - 1;
}

int TStringList::IndexOf(const std::string& S) const {
    for (int i = 0; i < Count(); ++i) {
        if (SameTextAscii(FItems[static_cast<size_t>(i)].String, S))
            return i;
    }
    return -1;
}

std::string TStringList::Text() const {
    std::string text;
    for (const TItem& item : FItems) {
        text += item.String;
        text += "\r\n";
    }
    return text;
}
