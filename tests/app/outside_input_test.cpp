// What reaches the program from outside before any window is involved: the messages a later
// start sends, the command line's picture names, dropped URIs, and the Exec value written for
// start at login.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>
#include <optional>

#include "app/core/command_line.h"
#include "app/core/desktop_entry.h"
#include "app/core/instance_message.h"
#include "platform/core/file_path.h"

namespace {

using app::instance::FrameState;
using app::instance::Reply;
using app::instance::Request;

QByteArray Body(std::initializer_list<QByteArray> fields) {
    return QList<QByteArray>(fields).join('\0');
}

TEST(InstanceMessage, RequestsAndRepliesComeBackAsSent) {
    const QByteArray shiftJis("/pics/\x8e\xca\x90^.jpg");
    for (const Request& request :
         {Request{Request::Kind::Show, {}, {}, {}},
          Request{Request::Kind::Open, platform::FilePath(shiftJis), {}, {}},
          Request{Request::Kind::Pins, {}, "toggle", {}}, Request{Request::Kind::Paste, {}, {}, {}},
          Request{Request::Kind::Capture, {}, {}, {}},
          Request{Request::Kind::CaptureLast, {}, {}, {}, 60},

          Request{Request::Kind::Board, {}, "hide", "仕事 2"}}) {
        QByteArray body;
        ASSERT_EQ(app::instance::ReadFrame(
                      app::instance::Frame(app::instance::EncodeRequest(request)), &body),
                  FrameState::Complete);
        EXPECT_EQ(app::instance::DecodeRequest(body), request);
    }
    for (const Reply& reply :
         {Reply{}, Reply{false, QStringLiteral("壊れた画像"), {}},
          Reply{true, {}, "waiting\t0\t0\t1500\t1500\t/media/\x8e\xca.jpg\n"}}) {
        EXPECT_EQ(app::instance::DecodeReply(app::instance::EncodeReply(reply)), reply);
    }
}

TEST(InstanceMessage, MalformedRequestsAreRefused) {
    const struct {
        const char* what;
        QByteArray body;
    } cases[] = {
        {"empty", QByteArray()},
        {"protocol only", "vellora/1"},
        {"another version", Body({"vellora/2", "show"})},
        {"another protocol", Body({"xyz/1", "show"})},
        {"unknown request", Body({"vellora/1", "quit"})},
        {"show with a field more", Body({"vellora/1", "show", "/a.jpg"})},
        {"show with a trailing NUL", Body({"vellora/1", "show", ""})},
        {"a capture's wait too long", Body({"vellora/1", "capture", "61"})},
        {"a capture's wait of nothing", Body({"vellora/1", "capture-last", "0"})},
        {"a capture's wait signed", Body({"vellora/1", "capture", "+5"})},
        {"open without a path", Body({"vellora/1", "open"})},
        {"open with an empty path", Body({"vellora/1", "open", ""})},
        {"open with a relative path", Body({"vellora/1", "open", "a.jpg"})},
        {"open with two paths", Body({"vellora/1", "open", "/a.jpg", "/b.jpg"})},
        {"open with a path longer than Linux takes",
         Body({"vellora/1", "open", "/" + QByteArray(4095, 'a')})},
        {"larger than the limit",
         Body({"vellora/1", "open", "/" + QByteArray(app::instance::kMaxRequestBody, 'a')})},
        {"upper case", Body({"VELLORA/1", "SHOW"})},
        {"pins without a command", Body({"vellora/1", "pins"})},
        {"pins with a command that is no word", Body({"vellora/1", "pins", "hide all"})},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(app::instance::DecodeRequest(c.body), std::nullopt) << c.what;
    }
    EXPECT_EQ(app::instance::DecodeReply(Body({"vellora/1", "failed"})), std::nullopt);
    EXPECT_EQ(app::instance::DecodeReply(Body({"vellora/1", "fine"})), std::nullopt);
}

TEST(InstanceMessage, FramesAreReadWhole) {
    const QByteArray frame = app::instance::Frame(Body({"vellora/1", "show"}));
    const struct {
        const char* what;
        QByteArray received;
        FrameState state;
    } cases[] = {
        {"nothing yet", QByteArray(), FrameState::Incomplete},
        {"part of the length", frame.left(3), FrameState::Incomplete},
        {"part of the body", frame.chopped(1), FrameState::Incomplete},
        {"the whole frame", frame, FrameState::Complete},
        {"bytes after the frame", frame + 'x', FrameState::Invalid},
        {"a second frame", frame + frame, FrameState::Invalid},
        {"an empty frame", QByteArray(4, '\0'), FrameState::Invalid},
        {"a length past the limit",
         app::instance::Frame(QByteArray(app::instance::kMaxRequestBody + 1, 'a')),
         FrameState::Invalid},
        {"a length of 4 GiB", QByteArray("\xff\xff\xff\xff", 4) + "x", FrameState::Invalid},
    };
    for (const auto& c : cases) {
        QByteArray body;
        EXPECT_EQ(app::instance::ReadFrame(c.received, &body), c.state) << c.what;
    }
}

TEST(CommandLine, PictureNamesKeepTheirBytesAndBecomeAbsolute) {
    const struct {
        QByteArray argument;
        QByteArray path;
    } cases[] = {
        {"a.jpg", "/home/u/a.jpg"},
        {"../pics/./b.gif", "/home/pics/b.gif"},
        {"/media/x//c.jpg", "/media/x/c.jpg"},
        {"\x8e\xca\x90^.jpg", "/home/u/\x8e\xca\x90^.jpg"},  // Shift-JIS
        {"caf\xe9.jpg", "/home/u/caf\xe9.jpg"},              // Latin-1
        {"-dash.jpg", "/home/u/-dash.jpg"},                  // after "--"
    };
    for (const auto& c : cases) {
        const app::CommandLine line =
            app::ParseCommandLine({"vellora", "--user-data", "--", c.argument}, "/home/u");
        ASSERT_EQ(line.action, app::CommandLine::Action::Run) << line.error.toStdString();
        EXPECT_EQ(line.place, app::DataPlace::UserData);
        ASSERT_EQ(line.pictures.size(), 1);
        EXPECT_EQ(line.pictures[0].Bytes(), c.path) << c.argument.toStdString();
    }
}

TEST(CommandLine, OptionsChooseWhatTheRunDoes) {
    using Action = app::CommandLine::Action;
    const struct {
        QList<QByteArray> arguments;
        Action action;
        app::DataPlace place;
    } cases[] = {
        {{"vellora"}, Action::Run, app::DataPlace::CurrentFolder},
        {{"vellora", "--data-dir", "d"}, Action::Run, app::DataPlace::Folder},
        {{"vellora", "--data-dir=/d", "a.jpg"}, Action::Run, app::DataPlace::Folder},
        {{"vellora", "--help", "--bogus"}, Action::Usage, app::DataPlace::CurrentFolder},
        {{"vellora", "-h"}, Action::Help, app::DataPlace::CurrentFolder},
        {{"vellora", "--version"}, Action::Version, app::DataPlace::CurrentFolder},
        {{"vellora", "--autostart", "on"}, Action::AutostartOn, app::DataPlace::CurrentFolder},
        {{"vellora", "--autostart", "off"}, Action::AutostartOff, app::DataPlace::CurrentFolder},
        {{"vellora", "--autostart", "yes"}, Action::Usage, app::DataPlace::CurrentFolder},
        {{"vellora", "--autostart", "on", "a.jpg"}, Action::Usage, app::DataPlace::CurrentFolder},
        {{"vellora", "--user-data", "--data-dir", "d"},
         Action::Usage,
         app::DataPlace::CurrentFolder},
        {{"vellora", "--data-dir"}, Action::Usage, app::DataPlace::CurrentFolder},
        {{"vellora", "--data-dir", "caf\xe9"}, Action::Usage, app::DataPlace::CurrentFolder},
        {{"vellora", ""}, Action::Usage, app::DataPlace::CurrentFolder},
        {{"vellora", "--user-data", "--paste"}, Action::Paste, app::DataPlace::UserData},
        {{"vellora", "--paste", "a.png"}, Action::Usage, app::DataPlace::CurrentFolder},
        {{"vellora", "--paste", "--pins", "list"}, Action::Usage, app::DataPlace::CurrentFolder},
        {{"vellora", "--data-dir", "/d", "--capture"}, Action::Capture, app::DataPlace::Folder},
        {{"vellora", "--capture", "--paste"}, Action::Usage, app::DataPlace::CurrentFolder},
        {{"vellora", "--capture", "last", "--delay", "60"},
         Action::Capture,
         app::DataPlace::CurrentFolder},
        {{"vellora", "--capture", "--delay", "61"}, Action::Usage, app::DataPlace::CurrentFolder},
        {{"vellora", "--capture", "--delay", "-1"}, Action::Usage, app::DataPlace::CurrentFolder},
        {{"vellora", "--capture", "--delay", "2.5"}, Action::Usage, app::DataPlace::CurrentFolder},
        {{"vellora", "--delay", "5"}, Action::Usage, app::DataPlace::CurrentFolder},
        {{"vellora", "--user-data", "--board", "仕事", "toggle"},
         Action::Board,
         app::DataPlace::UserData},
        {{"vellora", "--board", "w", "hide", "a.png"},
         Action::Usage,
         app::DataPlace::CurrentFolder},
        {{"vellora", "--board", "w", "list"}, Action::Usage, app::DataPlace::CurrentFolder},
        {{"vellora", "--board", "", "show"}, Action::Usage, app::DataPlace::CurrentFolder},
    };
    for (const auto& c : cases) {
        const app::CommandLine line = app::ParseCommandLine(c.arguments, "/home/u");
        const QByteArray shown = c.arguments.join(' ');
        EXPECT_EQ(line.action, c.action) << shown.toStdString();
        EXPECT_EQ(line.place, c.place) << shown.toStdString();
        if (line.action == Action::Usage) {
            EXPECT_FALSE(line.error.isEmpty());
        }
    }
    EXPECT_EQ(app::ParseCommandLine({"vellora", "--board", "仕事", "show"}, "/").board, "仕事");
    const app::CommandLine last =
        app::ParseCommandLine({"vellora", "--capture", "last", "--delay", "7"}, "/");
    EXPECT_TRUE(last.lastRegion && last.delaySeconds == 7 && last.pictures.isEmpty());
    EXPECT_EQ(app::ParseCommandLine({"vellora", "--data-dir", "../d"}, "/home/u").dataDir,
              QStringLiteral("/home/d"));
}

TEST(DroppedUris, LocalFilesKeepTheirBytes) {
    const struct {
        QByteArray uriList;
        QList<QByteArray> paths;
    } cases[] = {
        {"file:///home/u/a.jpg\r\n", {"/home/u/a.jpg"}},
        {"file://localhost/a%20b.jpg", {"/a b.jpg"}},
        {"file:///pics/%8E%CA%90%5E.jpg", {"/pics/\x8e\xca\x90^.jpg"}},
        {"FILE:/x/%E6%97%A5.gif", {"/x/\xe6\x97\xa5.gif"}},
        {"# comment\r\nhttp://example.org/a.jpg\r\nfile:///b.jpg\r\nfile:///c.jpg\r\n",
         {"/b.jpg", "/c.jpg"}},
        {"file:///a%23b.jpg#fragment", {"/a#b.jpg"}},
        {"file://otherhost/a.jpg", {}},
        {"file:///nul%00.jpg", {}},
        {"file:relative.jpg", {}},
        {"", {}},
    };
    for (const auto& c : cases) {
        QList<QByteArray> paths;
        for (const platform::FilePath& file : platform::LocalFilesOfUriList(c.uriList)) {
            paths.append(file.Bytes());
        }
        EXPECT_EQ(paths, c.paths) << c.uriList.toStdString();
    }
}

TEST(DesktopEntryExec, ArgumentsAreQuotedAndEscapedAsTheRulesSay) {
    const struct {
        QStringList command;
        QString exec;
    } cases[] = {
        {{"/usr/bin/vellora", "--user-data"}, "/usr/bin/vellora --user-data"},
        {{"/opt/my apps/vellora"}, "\"/opt/my apps/vellora\""},
        {{"/opt/100%/vellora"}, "/opt/100%%/vellora"},
        {{"/opt/a$b\"c/vellora"}, "\"/opt/a\\\\$b\\\\\"c/vellora\""},
        {{"/opt/a\\b/vellora"}, "\"/opt/a\\\\\\\\b/vellora\""},
        {{"/opt/line\nbreak"}, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(app::DesktopEntryExec(c.command), c.exec) << c.command.join(' ').toStdString();
    }
}

}  // namespace
