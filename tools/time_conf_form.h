// The "Configure Time Map" dialog: colours, font sizes, styles and time formats of the
// Velkaro box, the selected city's box and the city hint.
#pragma once

#include <QDialog>

#include <memory>
#include <string>
#include <vector>

#include "settings/options.h"
#include "timemodel/date_time.h"
#include "tools/time_conf.h"

namespace Ui {
class TTimeConfForm;
}

namespace velkaro {

class TTimeConfForm : public QDialog {
    Q_OBJECT
public:
    explicit TTimeConfForm(QWidget* parent = nullptr);
    // The pattern lists show their examples at the given local time instead of the clock's.
    TTimeConfForm(TDateTime localNow, QWidget* parent = nullptr);
    ~TTimeConfForm() override;

    void LoadFromOptions(const TZonariaOptions& options);
    void StoreToOptions(TZonariaOptions& options) const;

    // What the controls show, as plain data.
    TConfState State() const;
    void SetState(const TConfState& state);

    Ui::TTimeConfForm& Form() { return *ui; }
    // A further page of settings that live elsewhere (the user's places), after the display pages.
    void AddPage(QWidget* page, const QString& title);

signals:
    // Apply has stored the controls into the options; the displays should take them up now.
    void Applied();

private:
    void ApplyBtnClick();

    std::unique_ptr<Ui::TTimeConfForm> ui;
    std::vector<std::string> tztPatterns_, hintPatterns_;
};

}  // namespace velkaro
