#pragma once
// The support contact lines (telephone, web, e-mail) shown by the finished page and the About
// box: their texts come from the branding store, and a line whose text is empty is hidden.

class QLabel;

// The caption label ("Phone:") and the value label of each contact line.
struct ContactLabels {
    QLabel* phoneLabel;
    QLabel* phoneNumber;
    QLabel* webLabel;
    QLabel* webAddress;
    QLabel* emailLabel;
    QLabel* emailAddress;
};

// Sets each value label from the branding store (AboutCompanyPhone, AboutCompanySupportURL,
// AboutCompanySupportEmail, in that order) and sizes it to its text; hides both labels of a
// line whose text is empty. The other lines keep their places.
void ApplyContactLines(const ContactLabels& labels);
