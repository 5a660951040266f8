// The About box: product name, version, the Qt it runs on, the interface language, where
// keystrokes and hot keys go on this desktop (once a configuration has been activated), the
// terms of use and the icon. The same form without its OK button and title is the start-up splash.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace quorvane {

class AboutBox : public QDialog {
    Q_OBJECT

  public:
    enum class Kind { Box, Splash };

    explicit AboutBox(Kind kind = Kind::Box, QWidget* parent = nullptr);

    // Puts the interface language's texts in place (called once when built; again after the
    // language changes).
    void Localize();

    // Shows the box and waits for OK.
    static void ShowModal(QWidget* parent);
    // Shows the box without waiting; it deletes itself when closed.
    static AboutBox* ShowModeless(QWidget* parent = nullptr);

    // The splash: shown at once and painted before the caller goes on with the start-up, so it
    // is seen while the start-up works. A second call keeps the splash that is up.
    static AboutBox* ShowSplash();
    // Closes and deletes the splash; nothing happens when none is up.
    static void CloseSplash();
    // The splash that is up, or null.
    static AboutBox* Splash();

  private:
    Kind kind_;
    QLabel* icon_;
    QLabel* name_;
    QLabel* version_;
    QLabel* qtVersion_;
    QLabel* language_;
    QLabel* desktop_;
    QLabel* summary_;
    QPushButton* ok_;
};

}  // namespace quorvane
