// Every command, dialog and run turns an escaping error into the same box.
#include "components/ErrorBoxes.h"
#include "components/KorvexError.h"
#include "support/RecordingSeams.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

using namespace korvex;

TEST(ErrorBoxes, AnEscapingErrorBecomesOneBoxWithItsOwnText)
{
    test::RecordingMessages messages;
    int ran = 0;
    EXPECT_TRUE(ShowingFailure(messages, [&ran] { ++ran; }));
    EXPECT_EQ(ran, 1);
    EXPECT_TRUE(messages.errors.isEmpty());

    // A KorvexError's text as written, umlauts included; another
    // exception's what().
    const QString text = QStringLiteral("Unable to write 'Grüße.wma': No space left on device.");
    EXPECT_FALSE(ShowingFailure(messages, [&text] { throw KorvexError(text); }));
    EXPECT_FALSE(ShowingFailure(messages, [] { throw std::runtime_error("vector too long"); }));
    EXPECT_FALSE(ShowingFailure(messages, [] { throw std::bad_alloc(); }));
    ASSERT_EQ(messages.errors.size(), 3);
    EXPECT_EQ(messages.errors[0], text);
    EXPECT_EQ(messages.errors[1], QStringLiteral("vector too long"));
    EXPECT_EQ(messages.errors[2], QString::fromLocal8Bit(std::bad_alloc().what()));
}

TEST(ErrorBoxes, AFailureWithoutTextIsStillAFailure)
{
    EXPECT_FALSE(FailureText([] {}).has_value());
    const std::optional<QString> failure = FailureText([] { throw KorvexError(QString()); });
    ASSERT_TRUE(failure.has_value());
    EXPECT_TRUE(failure->isEmpty());
    // What is not an exception of the library's kind is not swallowed.
    EXPECT_THROW(FailureText([] { throw 42; }), int);
}
