#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "varrow/coding/translate.h"
#include "varrow/internet/message2/message.h"
#include "varrow/text.h"
#include "varrow/unicode/errors.h"

namespace {

using varrow::internet::message2::line_reader;
using varrow::internet::message2::message;
using lines_t = std::vector<std::string>;

// Each byte as the code unit of the same value.
std::u16string units(const std::string& bytes) {
    std::u16string text;
    for (unsigned char b : bytes) text.push_back(b);
    return text;
}

std::string repeat(const std::string& piece, std::size_t n) {
    std::string out;
    for (std::size_t i = 0; i < n; ++i) out += piece;
    return out;
}

std::string content_type_line(const lines_t& lines) {
    for (const auto& line : lines)
        if (line.size() >= 13 && varrow::iequals(line.substr(0, 13), "Content-Type:")) return line;
    return "(none)";
}

lines_t body_lines(const message& m) {
    const lines_t all = m.lines();
    lines_t body;
    bool in_body = false;
    for (const auto& line : all) {
        if (in_body) body.push_back(line);
        if (line.empty()) in_body = true;
    }
    return body;
}

// A message set up the way the report tool sets up its report.
void make_report(message& m) {
    m.remove_header("Content-Transfer-Encoding");
    m.add_header("Content-Transfer-Encoding", "base64");
    m.add_header("To", "\"Installation Support\" <install-support@tarnwick.example>");
    m.charset = "utf-8";
}

TEST(MailMessage, NewMessageHasTwoDefaultHeaders) {
    const message m;
    ASSERT_EQ(m.headers.size(), 2u);
    EXPECT_EQ(m.headers[1].second, "text/plain; charset=\"iso-8859-1\"");
    EXPECT_EQ(m.lines(), (lines_t{"Content-Transfer-Encoding: quoted-printable",
                                  "Content-Type: text/plain; charset=\"iso-8859-1\"", ""}));
    EXPECT_EQ(m.transfer_encoding(), "quoted-printable");
}

TEST(MailMessage, ReportWireForm) {
    message m;
    make_report(m);
    m.set_text(u"OK");
    m.add_header("Subject", "TW:1  OS:10.0  ExitCode:1603");
    EXPECT_EQ(m.lines(), (lines_t{"Subject: TW:1  OS:10.0  ExitCode:1603",
                                  "To: \"Installation Support\" <install-support@tarnwick.example>",
                                  "Content-Transfer-Encoding: base64", "Content-Type: text/plain; charset=\"utf-8\"",
                                  "", "T0s="}));
    EXPECT_EQ(m.lines(), m.lines());
    // Only the line is rebuilt; the stored header keeps its value.
    EXPECT_EQ(m.headers.back(), (message::header{"Content-Type", "text/plain; charset=\"iso-8859-1\""}));
}

TEST(MailMessage, HeadersComeOutInReverseOrderOfAdding) {
    message m;
    m.headers.clear();
    m.add_header("A", "1");
    m.add_header("B", "2");
    m.add_header("A", "3");  // an existing name stays
    EXPECT_EQ(m.lines(), (lines_t{"A: 3", "B: 2", "A: 1", ""}));
    m.remove_header("a");
    EXPECT_EQ(m.lines(), (lines_t{"B: 2", ""}));
    m.remove_header("missing");
    m.remove_header("B");
    EXPECT_EQ(m.lines(), (lines_t{""}));  // no headers: the empty line only
}

TEST(MailMessage, TransferEncodingIsFoundInAnyCase) {
    message m;
    m.remove_header("content-transfer-encoding");
    EXPECT_EQ(m.transfer_encoding(), "");
    m.add_header("Content-Transfer-Encoding", "BASE64");
    EXPECT_EQ(m.transfer_encoding(), "base64");
    m.set_text(u"foo");
    EXPECT_EQ(body_lines(m), (lines_t{"Zm9v"}));

    varrow::internet::message2::header_type::unstructured_value_type value;
    value.set_value(u"untouched");
    EXPECT_FALSE(m.find_header("X-Missing", value));
    EXPECT_EQ(value.value(), u"untouched");
    EXPECT_TRUE(m.find_header("content-TRANSFER-encoding", value));
    EXPECT_EQ(value.value(), u"BASE64");
}

TEST(MailMessage, Base64BodyInPiecesOf57Bytes) {
    struct piece_case {
        std::size_t length;
        std::vector<std::size_t> line_lengths;
    };
    const piece_case cases[] = {
        {1, {4}}, {56, {76}}, {57, {76}}, {58, {76, 4}}, {114, {76, 76}}, {115, {76, 76, 4}},
    };
    for (const auto& c : cases) {
        message m;
        make_report(m);
        std::string text;
        for (std::size_t i = 0; i < c.length; ++i) text.push_back(static_cast<char>('a' + i % 26));
        m.set_text(units(text));
        const lines_t body = body_lines(m);
        ASSERT_EQ(body.size(), c.line_lengths.size()) << c.length;
        std::string joined;
        for (std::size_t i = 0; i < body.size(); ++i) {
            EXPECT_EQ(body[i].size(), c.line_lengths[i]) << c.length;
            joined += body[i];
        }
        EXPECT_EQ(varrow::coding::translate::from_base64(joined), text);
        if (c.length == 58) {
            EXPECT_TRUE(body[1].ends_with("=="));
        }
    }
}

TEST(MailMessage, QuotedPrintableBodyInPiecesOf75Bytes) {
    struct qp_case {
        std::string body;
        lines_t lines;
    };
    const std::string x75(75, 'x');
    const qp_case cases[] = {
        {x75, {x75}},
        {x75 + "y", {x75 + "=", "y"}},
        {x75 + "\xE9", {x75 + "=", "=E9"}},
        {x75 + x75 + "z", {x75 + "=", x75 + "=", "z"}},
        // 75 raw bytes, however long their encoding.
        {std::string(76, '='), {repeat("=3D", 75) + "=", "=3D"}},
        {"a\r\n\r\nb", {"a", "", "b"}},
        {"caf\xE9\r\n", {"caf=E9"}},           // no extra line after a final line end
        {"no final line end", {"no final line end"}},
        {"tab\tand = sign", {"tab=09and =3D sign"}},
        // A blank that ends a piece before a soft break stays; the last
        // blank of a line is escaped so that receivers cannot strip it.
        {std::string(74, 'x') + " y", {std::string(74, 'x') + " =", "y"}},
        {"ends in blanks  ", {"ends in blanks =20"}},
        {"  ", {" =20"}},
    };
    for (const auto& c : cases) {
        message m;
        m.set_text(units(c.body));
        EXPECT_EQ(body_lines(m), c.lines) << c.body;
    }
}

TEST(MailMessage, UnencodedBodyIsSplitIntoLines) {
    struct plain_case {
        std::string body;
        lines_t lines;
    };
    const plain_case cases[] = {
        {"a\r\nb", {"a", "b"}},
        {"a\r\n", {"a"}},
        {"one line without end", {"one line without end"}},
        {"= and \xE9 stay", {"= and \xE9 stay"}},
    };
    for (const char* encoding : {"", "7bit", "8bit"}) {
        for (const auto& c : cases) {
            message m;
            m.remove_header("Content-Transfer-Encoding");
            if (*encoding) m.add_header("Content-Transfer-Encoding", encoding);
            m.set_text(units(c.body));
            EXPECT_EQ(body_lines(m), c.lines) << encoding << ": " << c.body;
        }
    }
}

TEST(MessageLineReader, LineEnds) {
    struct reader_case {
        std::string bytes;
        lines_t lines;
    };
    const reader_case cases[] = {
        {"a\r\nb", {"a", "b"}},
        {"a\r\n", {"a"}},
        {"\r\n\r\n", {"", ""}},
        {"a\n\rb", {"a", "b"}},
        {"a\rb\nc", {"a", "b", "c"}},
        {"a\r\rb", {"a", "", "b"}},
        {"a\n\nb", {"a", "", "b"}},
        {"a\r\n\nb", {"a", "", "b"}},
        {"a\r\n\r\r\nb", {"a", "", "", "b"}},
        {"\n", {""}},
        {"", {}},
        {std::string("a\0b", 3), {std::string("a\0b", 3)}},
    };
    for (const auto& c : cases) {
        line_reader reader(c.bytes);
        lines_t got;
        std::string line;
        while (reader.next(line)) got.push_back(line);
        EXPECT_EQ(got, c.lines) << c.bytes;
        EXPECT_FALSE(reader.next(line));
        EXPECT_TRUE(line.empty());
    }
}

TEST(MailMessage, ContentTypeIsRebuiltFromTheFields) {
    struct type_case {
        const char* stored;
        const char* media_type;
        const char* charset;
        const char* boundary;
        const char* line;
    };
    const type_case cases[] = {
        {nullptr, "text/plain", "utf-8", "", "Content-Type: text/plain; charset=\"utf-8\""},
        {nullptr, "text/html", "", "", "Content-Type: text/html"},
        {nullptr, "image/png", "utf-8", "", "Content-Type: image/png"},
        {nullptr, "Text/plain", "utf-8", "", "Content-Type: Text/plain"},  // the prefix test is byte-exact
        {nullptr, "multipart/mixed", "utf-8", "b1", "Content-Type: multipart/mixed; boundary=\"b1\""},
        // Parameters of the stored value stay, in their order, before new ones.
        {"text/plain; format=flowed; CHARSET=x", "text/plain", "utf-8", "B",
         "Content-Type: text/plain; format=\"flowed\"; CHARSET=\"utf-8\"; boundary=\"B\""},
        // An encoded parameter keeps its charset and is written again.
        {"text/plain; name=\"=?utf-8?B?w6k=?=\"", "text/plain", "", "",
         "Content-Type: text/plain; name=\"=?utf-8?B?w6k=?=\""},
    };
    for (const auto& c : cases) {
        message m;
        if (c.stored) {
            m.remove_header("content-type");
            m.add_header("content-type", c.stored);
        }
        m.media_type = c.media_type;
        m.charset = c.charset;
        m.boundary = c.boundary;
        std::string line = c.line;
        if (c.stored) line.replace(0, 12, "content-type");  // the name as given
        EXPECT_EQ(content_type_line(m.lines()), line) << c.media_type;
    }
}

TEST(MailMessage, MultipartParts) {
    message m;
    m.headers.clear();
    m.media_type = "multipart/mixed";
    m.boundary = "B";
    m.add_header("Content-Type", "multipart/mixed");
    for (const char16_t* text : {u"one", u"two"}) {
        message& part = m.add_part();
        part.headers.clear();
        part.add_header("Content-Type", "text/plain");
        part.set_text(std::u16string(text));
    }
    EXPECT_EQ(m.lines(), (lines_t{"Content-Type: multipart/mixed; boundary=\"B\"", "", "--B",
                                  "Content-Type: text/plain; charset=\"iso-8859-1\"", "", "one", "--B",
                                  "Content-Type: text/plain; charset=\"iso-8859-1\"", "", "two", "--B--"}));

    // A single-part entity writes its first part only, without delimiters.
    m.media_type = "text/plain";
    m.charset = "";
    m.set_text(u"body");
    EXPECT_EQ(m.lines(), (lines_t{"Content-Type: text/plain; boundary=\"B\"", "", "body",
                                  "Content-Type: text/plain; charset=\"iso-8859-1\"", "", "one"}));
}

TEST(MailMessage, SetTextConvertsIntoTheCharsetSetBefore) {
    message m;
    m.set_text(u"caf\u00e9");
    EXPECT_EQ(m.body, "caf\xE9");
    m.charset = "utf-8";
    EXPECT_EQ(m.body, "caf\xE9");  // not converted again
    m.set_text(u"caf\u00e9 \u20ac");
    EXPECT_EQ(m.body, "caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(m.body_text, u"caf\u00e9 \u20ac");

    m.set_text(std::string("plain ASCII bytes"));
    EXPECT_EQ(m.body_text, u"plain ASCII bytes");
    EXPECT_EQ(m.body, "plain ASCII bytes");
}

TEST(MailMessage, FailedConversionLeavesTheBodyAsItWas) {
    struct failing_case {
        const char* charset;
        std::u16string text;
    };
    const failing_case cases[] = {
        {"iso-8859-1", u"\u4e2d"},
        {"x-unknown", u"\u0100"},  // unknown charsets map unit for unit
        {"windows-1252", u"\u4e2d"},
    };
    for (const auto& c : cases) {
        message m;
        m.charset = c.charset;
        m.set_text(u"before");
        EXPECT_THROW(m.set_text(c.text), varrow::unicode::unmappable_character) << c.charset;
        EXPECT_EQ(m.body_text, u"before");
        EXPECT_EQ(m.body, "before");
    }
    message m;
    m.charset = "x-unknown";
    m.set_text(u"\u00e9");
    EXPECT_EQ(m.body, "\xE9");
}

TEST(MailMessage, StoredHeaderThatCannotBeDecodedFailsLines) {
    message m;
    m.remove_header("Content-Type");
    m.add_header("Content-Type", "text/plain; name=\"=?utf-8?Q?=ZZ?=\"");
    EXPECT_THROW((void)m.lines(), varrow::coding::translate::invalid_codeword);
}

}  // namespace
