// A test file ends with TAVLO_TEST_MAIN(Class) (or the GUILESS or APPLESS
// kind, as Qt's QTEST_ macros) instead of bringing a main() of its own: the
// tests of a group link into one executable, and CTest runs it once per
// class with the class's name as the first argument (test_main.cpp).
#pragma once

#include <QTest>

namespace tavlo_test {

using RunTest = int (*)(int argc, char* argv[]);

// Adds a test class to the executable's table, before main().
struct Registration {
    Registration(const char* name, RunTest run);
};

}  // namespace tavlo_test

// What Qt's QTEST_MAIN_WRAPPER does in main(), as a registered function.
#define TAVLO_TEST_WRAPPER(TestObject, ...)                                    \
    static const ::tavlo_test::Registration tavloTestRegistration##TestObject( \
        #TestObject, [](int argc, char* argv[]) -> int {                       \
            QT_PREPEND_NAMESPACE(QTest::Internal::callInitMain)<TestObject>(); \
            __VA_ARGS__                                                        \
            TestObject tc;                                                     \
            QTEST_SET_MAIN_SOURCE_PATH                                         \
            return QTest::qExec(&tc, argc, argv);                              \
        });

#define TAVLO_TEST_MAIN(TestObject) TAVLO_TEST_WRAPPER(TestObject, QTEST_MAIN_SETUP())
#define TAVLO_TEST_GUILESS_MAIN(TestObject) TAVLO_TEST_WRAPPER(TestObject, QTEST_QAPP_SETUP(QCoreApplication))
#define TAVLO_TEST_APPLESS_MAIN(TestObject) TAVLO_TEST_WRAPPER(TestObject)
