// A locale with a decimal comma while the object lives, as the GTK dialog
// takes one from the environment. tools/install-deps.sh test makes it.
#pragma once

#include <gtest/gtest.h>

#include <clocale>
#include <string>

struct CommaLocale {
#ifdef _WIN32
    static constexpr char kName[] = "German_Germany.1252";
#else
    static constexpr char kName[] = "de_DE.UTF-8";
#endif
    CommaLocale() {
        EXPECT_NE(std::setlocale(LC_ALL, kName), nullptr) << kName << " is missing";
    }
    ~CommaLocale() {
        std::setlocale(LC_ALL, saved.c_str());
    }
    std::string saved = std::setlocale(LC_ALL, nullptr);
};
