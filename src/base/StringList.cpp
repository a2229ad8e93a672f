#include "base/StringList.h"

#include "base/ListError.h"

namespace {

char UpperAscii(char C) {
    return C >= 'a' && C <= 'z' ? static_cast<char>(C - 'a' + 'A') : C;
}

bool SameTextAscii(const std::string& A, const std::string& B) {
    if (A.size() != B.size())
        return false;
    for (size_t i = 0; i < A.size(); ++i) {
        if (UpperAscii(A[i]) != UpperAscii(B[i]))
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
