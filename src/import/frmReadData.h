#pragma once

// The import window: registration files (modes "1", "3", "4") and daily price files (mode "2") are
// imported here. The mode comes from MainModule::MainTag when the window is first activated; the
// result message is left in MainTag for the caller to show after exec() returns.

#include <QDialog>

#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
struct AppServices;

namespace importer {
class LabelProgress;
}

class frmReadData final : public QDialog
{
    Q_OBJECT

public:
    explicit frmReadData(AppServices &services, QWidget *parent = nullptr);
    ~frmReadData() override;

    QLabel *Label2;
    QLineEdit *ReadDateji;
    QLabel *LabReadDateji;
    QPushButton *CmdJiUp;
    QPushButton *CmdJiDu;
    QLabel *Lbl3;
    QLineEdit *ReadDateitaru;
    QLabel *LabReadDateitaru;
    QPushButton *CmditarUp;
    QPushButton *CmditarDu;
    QCheckBox *ChkShinyo;
    QCheckBox *ChkMakeSyu;
    QPushButton *CmdReadData;
    QPushButton *CmdFileConvert;
    QPushButton *CmdClose;
    QLabel *LabFileName;
    QLabel *LabPa;

    // The window's own tag: the mode after a registration import has run.
    const QString &tag() const { return m_tag; }
    // True while the daily import runs.
    bool isBusy() const;

    // Runs the action of the mode in MainTag; called once, when the window is first shown.
    void Form_Activate();

    // The window that downloads the registration file before a conversion (MainTag "4"); set when the
    // information commands are registered. Without one the conversion goes on with the file already there.
    static void setRegistrationDownload(std::function<void(AppServices &, QWidget *parent)> open);

    // Every way of closing ends here: refused while busy, otherwise the unload sequence.
    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void Form_Load();
    void CmdReadData_Click();
    void CmdFileConvert_Click();
    void stepDate(QLineEdit *box, int days);
    // The checks both buttons make first (folders set, period valid); false when the run must not start.
    bool checkBeforeRun();
    void runRegistration();
    void startConverter();
    void offerDeletion();

    AppServices &m_services;
    std::unique_ptr<importer::LabelProgress> m_progress;
    QString m_tag;
    bool m_activated = false;
    bool m_running = false; // a button's handler is running (it may yield)
    bool m_unloaded = false;
};
