// A locale that writes numbers with a decimal comma, for the life of the
// object, as the GTK dialog takes one from the environment. A missing locale
// fails the test: tools/install-deps.sh test makes it.
#pragma once

#include <gtest/gtest.h>

#include <clocale>
#include <string>

class CommaLocale {
  public:
    CommaLocale() : saved_(std::setlocale(LC_ALL, nullptr)) {
#ifdef _WIN32
        const char* name = std::setlocale(LC_ALL, "German_Germany.1252");
#else
        const char* name = std::setlocale(LC_ALL, "de_DE.UTF-8");
#endif
        EXPECT_NE(name, nullptr) << "no German locale: run tools/install-deps.sh test";
        EXPECT_EQ(*std::localeconv()->decimal_point, ',');
    }
    ~CommaLocale() {
        std::setlocale(LC_ALL, saved_.c_str());
    }
    CommaLocale(const CommaLocale&) = delete;
    CommaLocale& operator=(const CommaLocale&) = delete;

  private:
    std::string saved_;
};
