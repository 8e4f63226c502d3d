#pragma once

#include <string>
#include <vector>

/// Where `Library::load` and `Library::addCopy` put component names: the window's list box, or
/// a plain list elsewhere. Names are 8-bit codes, handed over unconverted.
class NameList {
public:
    virtual ~NameList() = default;
    virtual void clear() = 0;
    virtual void append(const std::string& name) = 0;
};

/// A name list that keeps the names in the order they were appended.
class PlainNameList final : public NameList {
public:
    void clear() override { names.clear(); }
    void append(const std::string& name) override { names.push_back(name); }

    std::vector<std::string> names;
};
