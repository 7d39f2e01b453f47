#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "reader/language.h"
#include "tests/reader/test_folder.h"
#include "tests/reader/test_platform.h"

namespace {

using namespace tarnwick::reader;
using namespace tarnwick::reader::testing;

TEST(LanguageIdentifier, TableAndDefault) {
    struct {
        const char* code;
        const char* identifier;
    } cases[] = {
        {"BG", "1026"}, {"ZH", "2052"}, {"CS", "1029"}, {"DA", "1030"}, {"NL", "1043"}, {"EN", "1033"},
        {"FI", "1035"}, {"FR", "1036"}, {"DE", "1031"}, {"EL", "1032"}, {"HU", "1038"}, {"IT", "1040"},
        {"JA", "1041"}, {"NO", "1044"}, {"PL", "1045"}, {"PT", "2070"}, {"RU", "1049"}, {"ES", "1034"},
        {"SV", "1053"}, {"TH", "1054"}, {"TR", "1055"}, {"ZH-CN", "1028"}, {"VI", "1066"},
        // Exact comparison: no case folding, no trimming, no prefixes.
        {"de", "1033"}, {"De", "1033"}, {"DE ", "1033"}, {"ZH-", "1033"}, {"ZH-cn", "1033"}, {"XX", "1033"},
    };
    for (const auto& c : cases) EXPECT_EQ(language_identifier(c.code), c.identifier) << c.code;
}

TEST(LanguageOption, PutInFrontUnlessPresent) {
    struct {
        std::optional<std::string> value;
        const char* parameters;
        const char* expected;
    } cases[] = {
        {"DE", "", "/L1031 "},
        {"DE", "/s /v\"x\"", "/L1031 /s /v\"x\""},
        {"DE", "/q /L1036 /x", "/q /L1036 /x"},
        {"DE", "-L1036", "/L1031 -L1036"},
        {"DE", "/l1036", "/L1031 /l1036"},
        {"xx", "/q", "/L1033 /q"},
        {"", "/q", "/q"},
        {std::nullopt, "/q", "/q"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(with_language_option(c.parameters, c.value), c.expected)
            << (c.value ? *c.value : "(none)") << " / " << c.parameters;
}

// The stored value, through the platform's real store.
class StoredLanguage : public ::testing::Test {
protected:
    test_folder config{"language"};
    void TearDown() override { store_language_value(std::nullopt, config.path().string()); }
};

TEST_F(StoredLanguage, ReadBackOrRefused) {
#if defined(_WIN32)
    // Registry text, its terminating zero byte stored with it or not.
    const std::string nul(1, '\0');
    struct {
        std::optional<std::string> stored;
        std::optional<std::string> read;
    } cases[] = {
        {std::nullopt, std::nullopt},
        {"DE" + nul, "DE"},
        {"ZH-CN" + nul, "ZH-CN"},
        {"123456789" + nul, "123456789"},
        {"1234567890" + nul, std::nullopt},  // 11 bytes: longer than the buffer
        {"1234567890", std::nullopt},        // 10 bytes without a zero: not text
        {nul, ""},
    };
#else
    struct {
        std::optional<std::string> stored;
        std::optional<std::string> read;
    } cases[] = {
        {std::nullopt, std::nullopt},
        {"DE", "DE"},
        {"DE\n", "DE"},
        {"DE\n\n", "DE\n"},
        {"123456789\n", "123456789"},
        {"123456789", "123456789"},
        {"1234567890", std::nullopt},
        {"1234567890\n", std::nullopt},
        {"a much longer text than fits", std::nullopt},
        {"", ""},
    };
#endif
    for (const auto& c : cases) {
        store_language_value(c.stored, config.path().string());
        EXPECT_EQ(read_language_value(), c.read) << (c.stored ? *c.stored : "(none)");
    }
    store_language_value(std::string("DE") + std::string(1, '\0'), config.path().string());
#if !defined(_WIN32)
    store_language_value("DE\n", config.path().string());
#endif
    EXPECT_EQ(add_language_option("/q"), "/L1031 /q");
}

#if !defined(_WIN32)
// An unset, empty or relative $XDG_CONFIG_HOME means ~/.config.
TEST_F(StoredLanguage, ConfigFolderDefaultsToHome) {
    test_folder home("home");
    store_language_value("FR\n", (home.path() / ".config").string());
    const char* old_home = std::getenv("HOME");
    const std::string saved = old_home ? old_home : "";
    set_environment("HOME", home.path().string());
    for (const std::optional<std::string>& xdg : {std::optional<std::string>(), std::optional<std::string>(""),
                                                 std::optional<std::string>("relative/config")}) {
        set_environment("XDG_CONFIG_HOME", xdg);
        EXPECT_EQ(read_language_value(), std::optional<std::string>("FR")) << (xdg ? *xdg : "(unset)");
    }
    set_environment("HOME", old_home ? std::optional<std::string>(saved) : std::nullopt);
}
#endif

}  // namespace
