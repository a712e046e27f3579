#pragma once
// The greeting of the Welcome page, which names the reseller's (or the maker's) short
// company name from the branding store.

#include <QString>

// Joins the fixed pieces of the greeting around `companyNameShort`; an empty name leaves two
// blanks after "for the".
QString BuildWelcomeText(const QString& companyNameShort);
