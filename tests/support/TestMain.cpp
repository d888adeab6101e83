#include "TestRegistry.h"

#include <QApplication>
#include <QStringList>
#include <QTest>
#include <cstring>
#include <memory>

namespace testing_support {
std::vector<std::pair<const char*, Factory>>& registry() {
    static std::vector<std::pair<const char*, Factory>> classes;
    return classes;
}
ChildMode& childMode() {
    static ChildMode mode = nullptr;
    return mode;
}
} // namespace testing_support

// Runs every registered test class; "-class A,B" runs only those, "-not-class A,B" all but
// those; other arguments go to QtTest.
int main(int argc, char** argv) {
    if (const int code = testing_support::childMode() ? testing_support::childMode()(argc, argv) : -1;
        code >= 0)
        return code;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("overprint-tests"));
    QStringList only;
    QStringList except;
    std::vector<char*> args{argv[0]};
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-class") == 0 && i + 1 < argc)
            only = QString::fromUtf8(argv[++i]).split(QLatin1Char(','));
        else if (std::strcmp(argv[i], "-not-class") == 0 && i + 1 < argc)
            except = QString::fromUtf8(argv[++i]).split(QLatin1Char(','));
        else
            args.push_back(argv[i]);
    }
    int failed = 0;
    for (auto& [name, factory] : testing_support::registry()) {
        const QString className = QString::fromUtf8(name);
        if ((!only.isEmpty() && !only.contains(className)) || except.contains(className))
            continue;
        std::unique_ptr<QObject> test(factory());
        failed += QTest::qExec(test.get(), static_cast<int>(args.size()), args.data()) != 0;
    }
    return failed;
}
