// Window tests need one QApplication for the whole test program (offscreen platform unless the
// environment names another). Linked into every window test program as miravel_test_widgets.

#include <QApplication>

#include <gtest/gtest.h>

namespace {

class WidgetApplicationEnvironment final : public ::testing::Environment
{
public:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "miravel_window_tests";
        static char *argv[] = {name, nullptr};
        if (!QCoreApplication::instance())
            m_app = new QApplication(argc, argv);
    }
    void TearDown() override
    {
        delete m_app;
        m_app = nullptr;
    }

private:
    QApplication *m_app = nullptr;
};

[[maybe_unused]] ::testing::Environment *const environment =
    ::testing::AddGlobalTestEnvironment(new WidgetApplicationEnvironment);

} // namespace
