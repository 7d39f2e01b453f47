#include <gtest/gtest.h>

#include <string>

#include "varrow/ui/recording.h"
#include "varrow/ui/ui.h"

namespace {

namespace rec = varrow::ui::recording;

TEST(RecordingUi, RecordsBoxesAndAnswersInOrder) {
    rec::reset();
    rec::answers() = {true, false};
    varrow::ui::notice("text", "caption");
    EXPECT_TRUE(varrow::ui::question("Send?", "Q"));
    EXPECT_FALSE(varrow::ui::question("Send?", "Q"));
    EXPECT_FALSE(varrow::ui::question("Send?", "Q"));  // nothing queued: No
    ASSERT_EQ(rec::boxes().size(), 4u);
    EXPECT_EQ(rec::boxes()[0], (rec::box{false, "text", "caption"}));
    EXPECT_TRUE(rec::boxes()[1].is_question);
    rec::reset();
    EXPECT_TRUE(rec::boxes().empty());
}

TEST(RecordingUi, EscapeRoundTrip) {
    std::string all;
    for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
    const std::string escaped = rec::escape(all);
    EXPECT_EQ(escaped.find('\n'), std::string::npos);
    EXPECT_EQ(escaped.find('\t'), std::string::npos);
    EXPECT_EQ(rec::unescape(escaped), all);
    EXPECT_EQ(rec::escape("File: x\rError: y"), "File: x\\rError: y");
}

}  // namespace
