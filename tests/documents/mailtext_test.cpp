// Mail messages: recognised by their headers, read as their reader sees them.
#include "documents/documenttext.h"
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

namespace {

TEST(MailText, ShowsWhatAReaderSeesAndNoTransportOrEncodedBytes) {
    const QByteArray mail =
        "Received: from relay.example.net by mx.example.org; Mon, 7 Dec 2026\r\n"
        "DKIM-Signature: v=1; a=rsa-sha256; d=example.org; b=SignatureBlob\r\n"
        "Authentication-Results: mx.example.org; spf=pass smtp.mailfrom=relay\r\n"
        "From: Anna <anna@example.org>\r\nTo: Bob <bob@example.org>\r\n"
        "Cc: Carol <carol@example.org>\r\nSubject: Figures\r\n"
        "Date: Mon, 7 Dec 2026 10:00:00 +0100\r\nMIME-Version: 1.0\r\n"
        "Content-Type: multipart/mixed; boundary=XX\r\n\r\n"
        "--XX\r\nContent-Type: text/plain; charset=utf-8\r\n"
        "Content-Transfer-Encoding: base64\r\n\r\n"
        "VmlzaWJsZSBib2R5\r\n!!not base64 at all!!\r\nQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFB\r\n"
        "--XX\r\nContent-Type: text/plain; name=notes.txt\r\n"
        "Content-Disposition: attachment; filename=notes.txt\r\n"
        "Content-Transfer-Encoding: base64\r\n\r\n"
        "QXR0YWNoZWQgbm90ZXM=\r\n--XX--\r\n";
    const QString text = mailText(mail);
    for (const char16_t *shown : {u"From: Anna <anna@example.org>", u"To: Bob <bob@example.org>",
                                  u"Cc: Carol <carol@example.org>", u"Subject: Figures",
                                  u"Date: Mon, 7 Dec 2026 10:00:00 +0100", u"Visible body",
                                  u"notes.txt", u"Attached notes"})
        EXPECT_TRUE(text.contains(shown)) << QString::fromUtf16(shown).toStdString() << "\n"
                                          << text.toStdString();
    for (const char16_t *hidden :
         {u"relay", u"SignatureBlob", u"spf=pass", u"VmlzaWJsZSBib2R5", u"QUFB", u"QXR0"})
        EXPECT_FALSE(text.contains(hidden)) << QString::fromUtf16(hidden).toStdString();
}

TEST(MailText, AMailThatDoesNotBeginAsMailIsStillReadAsOne) {
    // Saved with a byte-order mark or empty lines first, or with a header
    // line no mail program writes: never its raw bytes.
    const QByteArray rest = "From: Anna <anna@example.org>\r\nSubject: Kept\r\n"
                            "Content-Type: text/plain\r\nContent-Transfer-Encoding: base64\r\n"
                            "\r\nVmlzaWJsZSBib2R5\r\n";
    for (const QByteArray &mail : {"\xEF\xBB\xBF" + rest, "\r\n\r\n" + rest,
                                   QByteArray("Subject: Kept\r\nFrom: Anna <anna@example.org>\r\n"
                                              "Not a header\r\n\r\nBody")}) {
        SCOPED_TRACE(mail.left(30).toStdString());
        Extraction extraction(mail);
        ASSERT_TRUE(givesText(extractDocument(extraction, u"saved.eml")));
        EXPECT_TRUE(extraction.text.contains(u"From: Anna <anna@example.org>"))
            << extraction.text.toStdString();
        EXPECT_TRUE(extraction.text.contains(u"Subject: Kept"));
        EXPECT_FALSE(extraction.text.contains(u"VmlzaWJsZSBib2R5") ||
                     extraction.text.contains(u"Content-Type"));
    }
}

} // namespace
