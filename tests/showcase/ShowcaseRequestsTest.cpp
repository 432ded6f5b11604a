#include <gtest/gtest.h>

#include "ShowcaseRequests.h"

using showcase::ReplyOutcome;

TEST(ShowcaseRequestsTest, BodiesAndHeaderLinesAreExactlyWhatTheServiceReads)
{
    EXPECT_EQ(showcase::endpointUrl("http://127.0.0.1:8080/api/", showcase::kAccountEndpoint),
              "http://127.0.0.1:8080/api/circuit_get_account.asp");
    // The code goes out as typed, not encoded.
    EXPECT_EQ(showcase::accountBody("a b&c=%"), "code=a b&c=%");
    EXPECT_EQ(showcase::imageHeaders("tok 1"), (std::vector<std::string>{"Content-Type:image/jpg", "x-token:tok 1"}));
    EXPECT_EQ(showcase::circuitHeaders(""), (std::vector<std::string>{"x-token:"}));
    EXPECT_EQ(showcase::circuitBody("Blue Track", "", 17), "circuitid=0&name=Blue%20Track&text=&imageids=17");
    EXPECT_EQ(showcase::circuitBody("", "a&b=c\nd", -3), "circuitid=0&name=&text=a%26b%3Dc%0Ad&imageids=-3");
}

TEST(ShowcaseRequestsTest, PercentEncodingKeepsOnlyUnreservedBytes)
{
    EXPECT_EQ(showcase::percentEncode("Blue Track-1"), "Blue%20Track-1");
    EXPECT_EQ(showcase::percentEncode("a~b.c_d"), "a~b.c_d");
    EXPECT_EQ(showcase::percentEncode("\xC3\xA9"), "%C3%A9");
    EXPECT_EQ(showcase::percentEncode("+/?#%"), "%2B%2F%3F%23%25");
    EXPECT_EQ(showcase::percentEncode(std::string("\0\x7f\xff", 3)), "%00%7F%FF");
    EXPECT_EQ(showcase::percentEncode("09azAZ"), "09azAZ");
}

TEST(ShowcaseRequestsTest, SignInReplyIsAcceptedOnlyForSuccessAndTypeZero)
{
    auto read = [](const std::string& body) { return showcase::readAccountReply(true, body); };

    showcase::AccountReply ok = read(R"({"result":"success","type":0,"token":"T1","state":"success"})");
    EXPECT_EQ(ok.outcome, ReplyOutcome::Accepted);
    EXPECT_EQ(ok.token, "T1");
    EXPECT_TRUE(ok.stateSuccess);

    // The type is truncated, so a fraction of zero is still zero.
    EXPECT_EQ(read(R"({"result":"success","type":0.9,"token":"T","state":"success"})").outcome, ReplyOutcome::Accepted);
    EXPECT_EQ(read(R"({"result":"success","type":-0.5,"token":"T","state":"success"})").outcome,
              ReplyOutcome::Accepted);

    // A token comes with a state that keeps the account out.
    showcase::AccountReply waiting = read(R"({"result":"success","type":0,"token":"T2","state":"review"})");
    EXPECT_EQ(waiting.outcome, ReplyOutcome::Accepted);
    EXPECT_EQ(waiting.token, "T2");
    EXPECT_FALSE(waiting.stateSuccess);

    EXPECT_EQ(read(R"({"result":"Success","type":0,"token":"T","state":"success"})").outcome, ReplyOutcome::Refused);
    EXPECT_EQ(read(R"({"result":"success","type":1,"token":"T","state":"success"})").outcome, ReplyOutcome::Refused);
    EXPECT_EQ(read(R"({"result":"error"})").outcome, ReplyOutcome::Refused);
    EXPECT_EQ(read(R"({"result":"success","type":1})").outcome, ReplyOutcome::Refused);
}

TEST(ShowcaseRequestsTest, BrokenSignInRepliesAreMalformedAndCarryNoToken)
{
    const char* broken[] = {
        R"(["result","success"])",
        R"({"type":0,"token":"T","state":"success"})",
        R"({"result":"success","token":"T","state":"success"})",
        R"({"result":"success","type":"0","token":"T","state":"success"})",
        R"({"result":"success","type":0,"state":"success"})",
        R"({"result":"success","type":0,"token":7,"state":"success"})",
        R"({"result":"success","type":0,"token":"T"})",
        R"({"result":"success","type":0,"token":"T","state":true})",
        R"({"result":"success","type":1e999,"token":"T","state":"success"})",
        R"({"result":"success","type":0,"token":"T")",
        "<html>502</html>",
    };
    for (const char* body : broken) {
        showcase::AccountReply reply;
        EXPECT_NO_THROW(reply = showcase::readAccountReply(true, body)) << body;
        EXPECT_EQ(reply.outcome, ReplyOutcome::Malformed) << body;
        EXPECT_TRUE(reply.token.empty()) << body;
    }
    EXPECT_EQ(showcase::readAccountReply(true, "").outcome, ReplyOutcome::Empty);
    // A failed transfer is failed whatever its body says.
    EXPECT_EQ(
        showcase::readAccountReply(false, R"({"result":"success","type":0,"token":"T","state":"success"})").outcome,
        ReplyOutcome::TransferFailed);
}

TEST(ShowcaseRequestsTest, ParseErrorNamesTheLineButQuotesNothingOfTheReply)
{
    std::string error;
    showcase::readAccountReply(true, "{\"result\":\"success\",\"token\":\"SECRET-TOKEN\" oops}", &error);
    EXPECT_NE(error.find("syntax error at line 1"), std::string::npos) << error;
    EXPECT_EQ(error.find("SECRET"), std::string::npos) << error;
    EXPECT_EQ(error.find("oops"), std::string::npos) << error;

    error.clear();
    showcase::readImageReply(true, R"({"token":"SECRET-TOKEN","imageid":1e999})", &error);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(error.find("SECRET"), std::string::npos) << error;

    // Well-formed JSON of the wrong shape is no parse error.
    error.clear();
    showcase::readCircuitReply(true, "[1]", &error);
    EXPECT_TRUE(error.empty());
}

TEST(ShowcaseRequestsTest, ImageReplyGivesATruncatedIdOnlyWhenUsable)
{
    showcase::ImageReply reply = showcase::readImageReply(true, R"({"result":"success","imageid":17.9})");
    EXPECT_EQ(reply.outcome, ReplyOutcome::Accepted);
    EXPECT_EQ(reply.imageId, 17);
    EXPECT_EQ(showcase::readImageReply(true, R"({"result":"success","imageid":-2.5})").imageId, -2);

    EXPECT_EQ(showcase::readImageReply(true, R"({"result":"failure","imageid":17})").outcome, ReplyOutcome::Refused);
    EXPECT_EQ(showcase::readImageReply(true, R"({"result":"failure"})").outcome, ReplyOutcome::Refused);
    for (const char* body :
         {R"({"result":"success"})", R"({"result":"success","imageid":"17"})", R"({"result":"success","imageid":null})",
          R"({"result":"success","imageid":1e300})", R"({"result":"success","imageid":-9.3e18})",
          R"({"result":"success","imageid":1e999})", R"({"imageid":17})", "17", "not json"}) {
        EXPECT_EQ(showcase::readImageReply(true, body).outcome, ReplyOutcome::Malformed) << body;
    }
    EXPECT_EQ(showcase::readImageReply(true, "").outcome, ReplyOutcome::Empty);
    EXPECT_EQ(showcase::readImageReply(false, "").outcome, ReplyOutcome::TransferFailed);
}

TEST(ShowcaseRequestsTest, CircuitReplySucceedsOnlyOnExactSuccess)
{
    EXPECT_EQ(showcase::readCircuitReply(true, R"({"result":"success"})"), ReplyOutcome::Accepted);
    EXPECT_EQ(showcase::readCircuitReply(true, R"({"result":"success "})"), ReplyOutcome::Refused);
    EXPECT_EQ(showcase::readCircuitReply(true, R"({"result":"SUCCESS"})"), ReplyOutcome::Refused);
    EXPECT_EQ(showcase::readCircuitReply(true, R"({"result":true})"), ReplyOutcome::Malformed);
    EXPECT_EQ(showcase::readCircuitReply(true, R"({})"), ReplyOutcome::Malformed);
    EXPECT_EQ(showcase::readCircuitReply(true, ""), ReplyOutcome::Empty);
    EXPECT_EQ(showcase::readCircuitReply(false, R"({"result":"success"})"), ReplyOutcome::TransferFailed);
}
