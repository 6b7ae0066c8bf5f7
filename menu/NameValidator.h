#pragma once
// Lets into a name box only characters the high-score file's code page
// (Windows-1252) can hold, so nothing typed is lost when the table is saved.

#include <QValidator>

namespace menu {

class NameValidator : public QValidator {
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString& input, int& position) const override;
};

}  // namespace menu
