// The clipboard: the position shown as FEN, the game as PGN text, and a paste of either.
//
// A paste is read completely before anything else happens: text that does not load is refused
// with the reader's own reason, and the game shown stays as it was, unasked.
#include "app/commands.h"
#include "app/globals.h"
#include "app/qt_shell.h"
#include "chess/fen.h"
#include "chess/position.h"
#include "dialogs/setup_dialog.h"
#include "pgn/line_reader.h"
#include "pgn/partie.h"
#include "pgn/writer.h"
#include "platform/file.h"
#include "platform/text.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QTemporaryFile>

using namespace pawnlet;

namespace {

const std::u16string PasteCaption = u"Paste";

void Refuse(const std::u16string& reason) {
    platform::CurrentShell().MessageBox(ShellOwner(MainWindowWidget), reason, PasteCaption,
                                        platform::Icon::Stop, platform::Buttons::Ok);
}

// One line of six (or fewer) FEN fields: a placement of eight ranks, then the rest.
bool LooksLikeFen(const QString& text) {
    static const QRegularExpression fen(
        QStringLiteral("^[1-8pnbrqkPNBRQK]+(/[1-8pnbrqkPNBRQK]+){7}(\\s.*)?$"));
    return !text.contains(QLatin1Char('\n')) && fen.match(text).hasMatch();
}

// The game of a FEN, checked as the setup dialog checks a position; null after saying why not.
std::unique_ptr<Partie> GameFromFen(const QString& text) {
    auto partie = std::make_unique<Partie>();
    Position& start = partie->startPosition;
    if (ReadFen(start, text.toStdU16String()) == 0) {
        Refuse(ErrorText(ParseError::BadStartPosition));
        return nullptr;
    }
    // Only what the FEN says is kept: its castling rights, side to move and move number.
    SetupChoices choices;
    choices.castling = {start.castleWhiteKing != 0, start.castleWhiteQueen != 0,
                        start.castleBlackKing != 0, start.castleBlackQueen != 0};
    choices.whiteToPlay = start.sideToMove == White;
    choices.moveNumber = QString::number(NextMoveNumber(start)).toStdU16String();
    const SetupVerdict verdict = ValidateSetup(start, choices);
    if (!verdict.accepted) {
        Refuse(verdict.failure.value_or(ErrorText(ParseError::BadStartPosition)));
        return nullptr;
    }
    start.setUp = 1;
    return partie;
}

// The first game of PGN text, read by the same reader as a file; null after saying why not.
std::unique_ptr<Partie> GameFromPgn(QString text) {
    // Bare movetext is a game too: it gets the tags a new game has.
    if (!text.startsWith(QLatin1Char('['))) {
        text.prepend(QStringLiteral("[White \"White\"]\n[Black \"Black\"]\n\n"));
    }
    QTemporaryFile copy;
    if (!copy.open()) {
        Refuse(ErrorText(ParseError::OpenFailed));
        return nullptr;
    }
    const QByteArray bytes = text.toUtf8();
    if (copy.write(bytes) != bytes.size() || !copy.flush()) {
        Refuse(ErrorText(ParseError::OpenFailed));
        return nullptr;
    }
    platform::File file;
    if (!file.Open(copy.fileName().toStdU16String(), platform::OpenMode::Read)) {
        Refuse(ErrorText(ParseError::OpenFailed));
        return nullptr;
    }
    auto partie = std::make_unique<Partie>();
    LineReader reader(file, 0);
    const ParseResult result = ReadGame(*partie, reader);
    if (result.code != ParseError::NoError) {
        Refuse(result.code == ParseError::NoGame ? std::u16string(u"No games") : ErrorText(result));
        return nullptr;
    }
    // The game belongs to no file: its place in the copy means nothing.
    partie->startOffset = 0;
    partie->endOffset = 0;
    return partie;
}

} // namespace

void CopyFenCommand() {
    if (CurrentPosition) {
        QGuiApplication::clipboard()->setText(
            QString::fromStdU16String(WriteFen(*CurrentPosition)));
    }
}

void CopyGameCommand() {
    if (!CurrentPartie) {
        return;
    }
    const std::string bytes = WriteGameText(*CurrentPartie);
    QGuiApplication::clipboard()->setText(
        QString::fromStdU16String(platform::Decode(bytes, CurrentPartie->encoding)));
}

void PasteCommand() {
    const QString text = QGuiApplication::clipboard()->text().trimmed();
    if (text.isEmpty()) {
        Refuse(u"No games");
        return;
    }
    std::unique_ptr<Partie> partie = LooksLikeFen(text) ? GameFromFen(text) : GameFromPgn(text);
    if (!partie || !AskToClose()) {
        return;
    }
    // A pasted game lives only in the program until it is saved.
    partie->changed = true;
    InstallGame(std::move(partie));
}
