// Mail messages: recognised by their headers, read as their reader sees them.
#include "documents/mailtext.h"

#include <gtest/gtest.h>

namespace {

QString mailText(const QByteArray &bytes) {
    Extraction extraction(bytes);
    EXPECT_EQ(extractMail(extraction), Outcome::Text);
    return extraction.text;
}

TEST(MailText, RecognisesMailByItsHeaders) {
    EXPECT_TRUE(mailtext::isMail("Subject: hi\r\nX-Other: y\r\n folded\r\n\r\nbody"));
    EXPECT_TRUE(mailtext::isMail("From someone Mon Jan 1\nFrom: a@b\n\nbody"));
    EXPECT_FALSE(mailtext::isMail("Note: not mail\nbut text\n"));
    EXPECT_FALSE(mailtext::isMail("plain text\n"));
    EXPECT_FALSE(mailtext::isMail(""));
}

TEST(MailText, EncodedWordsCharsetsAndNestedMessages) {
    const QByteArray mail = "From: =?ISO-8859-7?Q?=C5=EB=EB=DC=E4=E1?= <a@b>\r\n"
                            "Subject: =?UTF-8?B?0J/RgNC40LLQtdGC?=\r\n"
                            "MIME-Version: 1.0\r\n"
                            "Content-Type: multipart/mixed; boundary=XX\r\n\r\n"
                            "--XX\r\nContent-Type: text/plain; charset=windows-1251\r\n"
                            "Content-Transfer-Encoding: quoted-printable\r\n\r\n"
                            "=CC=EE=F1=EA=E2=E0 long=\r\nword\r\n"
                            "--XX\r\nContent-Type: message/rfc822\r\n\r\n"
                            "Subject: InnerSubject\r\n\r\nInnerBody\r\n"
                            "--XX--\r\n";
    const QString text = mailText(mail);
    EXPECT_TRUE(text.contains(u"From: Ελλάδα <a@b>")) << text.toStdString();
    EXPECT_TRUE(text.contains(u"Subject: Привет"));
    EXPECT_TRUE(text.contains(u"Москва longword"));
    EXPECT_TRUE(text.contains(u"Subject: InnerSubject"));
    EXPECT_TRUE(text.contains(u"InnerBody"));
}

TEST(MailText, HtmlBodiesAsTheReaderSeesThem) {
    const auto html = [](const QByteArray &body) {
        return mailText("From: a@b\r\nSubject: s\r\nContent-Type: text/html; "
                        "charset=utf-8\r\n\r\n" +
                        body);
    };
    const QString text = html("<html><head><title>TitleWord</title></head><body>"
                              "<script>var hidden = 1;</script><p>M&uuml;ller&nbsp;&amp; "
                              "caf&eacute; &euro;5 &#x41;&#66; &bogus; &lt;tag&gt;</p>"
                              "<div>second</div>line<br>break</body></html>");
    EXPECT_TRUE(text.contains(u"Müller & café €5 AB &bogus; <tag>")) << text.toStdString();
    EXPECT_TRUE(text.contains(u"\r\nsecond\r\nline\r\nbreak"));
    EXPECT_FALSE(text.contains(u"TitleWord"));
    EXPECT_FALSE(text.contains(u"hidden"));
    // Unclosed hidden tags and stray brackets hide nothing of what follows.
    const QString open = html(QByteArray("<script>").repeated(3) + "<style>a < b & c > d");
    EXPECT_TRUE(open.contains(u"a  d")) << open.toStdString();
    EXPECT_TRUE(html("x < y & z").contains(u"x < y & z"));
}

TEST(MailText, TwoContentTypeHeadersKeepTheBody) {
    const QString text = mailText("From: a@b\r\nSubject: s\r\n"
                                  "Content-Type: multipart/mixed; boundary=XX\r\n"
                                  "Content-Type: text/plain\r\n\r\nBodyWord here\r\n");
    EXPECT_TRUE(text.contains(u"BodyWord here")) << text.toStdString();
}

} // namespace
