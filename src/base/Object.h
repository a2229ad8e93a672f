#pragma once
// The root of the layer's objects: not copyable, destroyed through a base pointer. Events name
// their sender as a TObject.

class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;
};
