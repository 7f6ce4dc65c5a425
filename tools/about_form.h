// The about box: the logo, the version and two lines about the program.
#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class AboutForm;
}

namespace velkaro {

class TAboutForm : public QDialog {
    Q_OBJECT
public:
    explicit TAboutForm(QWidget* parent = nullptr);
    ~TAboutForm() override;

private:
    std::unique_ptr<Ui::AboutForm> ui_;
};

}  // namespace velkaro
