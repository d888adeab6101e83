#pragma once

#include <QObject>
#include <functional>
#include <vector>

// Every test class of a folder registers itself here; the folder's one executable runs them all.
// Use: OVERPRINT_TEST(TestMoneyText) after the class, then #include "TestMoneyText.moc".
namespace testing_support {

using Factory = std::function<QObject*()>;
std::vector<std::pair<const char*, Factory>>& registry();

// A test program that opens workbooks through a reader process must serve as one too: its
// folder sets this to a function giving the exit code, or -1 when not started as a reader.
using ChildMode = int (*)(int argc, char** argv);
ChildMode& childMode();

struct Registrar {
    Registrar(const char* name, Factory factory) { registry().emplace_back(name, std::move(factory)); }
};

} // namespace testing_support

#define OVERPRINT_TEST(Class)                                                                                \
    static testing_support::Registrar registrar_##Class(#Class,                                              \
                                                        [] { return static_cast<QObject*>(new Class); });
