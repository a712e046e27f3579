#include "pages/welcome/WelcomeText.h"

#include <QCoreApplication>

QString BuildWelcomeText(const QString& companyNameShort) {
    // The pieces are kept apart as they are translated apart; the blank that ends the first
    // sentence and the one that begins the second make the double blank between them.
    return QCoreApplication::translate("TWelcomeForm",
                                       "Welcome to the installation program for the ") +
           companyNameShort +
           QCoreApplication::translate("TWelcomeForm", " Vormatic® Producer printing software. ") +
           QCoreApplication::translate(
               "TWelcomeForm",
               " This program will guide you through the process of installing "
               "Vormatic® Producer") +
           QCoreApplication::translate(
               "TWelcomeForm",
               " and all of the drivers needed to connect the printer to your computer.");
}
