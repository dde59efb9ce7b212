#include "shell/create_book.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "book/book_builder.h"
#include "book/regular_file.h"
#include "chess.h"
#include "shell/input.h"
#include "shell/pgn_reader.h"
#include "shell/platform.h"

// An answer is one line of at most this many characters.
constexpr int ANSWER_BYTES = 1024;
constexpr int LOWEST_MIN_ELO = 1000;
// Added to the book's name for the file the new book is written to first.
constexpr const char* TEMPORARY_SUFFIX = ".tmp";

namespace {

// Each answer is echoed, since a GUI or a script does not show what it typed.
void ask(const char* prompt, char (&answer)[ANSWER_BYTES]) {
    printf("%s", prompt);
    fflush(stdout);
    std::string line;
    if (!read_input_line(line, ANSWER_BYTES - 1)) exit(0);
    snprintf(answer, ANSWER_BYTES, "%s", line.c_str());
    printf("%s\n", answer);
}

void ask_settings(hash& settings) {
    char answer[ANSWER_BYTES];
    ask("3) Number of moves to consider:  ", answer);
    settings.moves_deep = atoi(answer);
    printf("move_deep: %d\n", settings.moves_deep);
    ask("4) Minimum Elo for both players:  ", answer);
    settings.min_elo = atoi(answer);
    if (settings.min_elo < LOWEST_MIN_ELO) settings.min_elo = LOWEST_MIN_ELO;
    printf("minimum elo: %d\n", settings.min_elo);
    ask("5) Include DRAW games (1 = YES, 0 = NO):  ", answer);
    settings.include_draws = answer[0] != '0';
    printf("Draw games %s included\n", settings.include_draws ? "are" : "are not");
}

// A book is replaced only by a complete new one: the records go to a file
// beside it, which takes the book's name once it is whole. A PGN file that
// could not be read to its end, or that gave no record, leaves the book as it
// was. Returns the number of records written.
int replace_book(const pgn_summary& games, const book_builder& builder, const char* pgn_name,
                 const char* book_name) {
    if (games.read_failed) {
        printf("error reading file: %s; %s left as it was\n", pgn_name, book_name);
        return 0;
    }
    if (builder.records.empty()) {
        printf("no book moves found; %s left as it was\n", book_name);
        return 0;
    }
    const std::string temporary = std::string(book_name) + TEMPORARY_SUFFIX;
    const int n = builder.write_book(temporary.c_str(), book_name);
    if (n > 0 && !replace_file(temporary.c_str(), book_name)) {
        printf("error writing file \"%s\".\n", book_name);
        remove(temporary.c_str());
        return 0;
    }
    return n;
}

} // namespace

bool create_book() {
    printf("Korvel book creation.\n\nGive filename with full path.\n");
    printf("Give number of moves deep, not plies,\nto records for each games in the file.\n\n");
    char pgn_name[ANSWER_BYTES];
    ask("1) PGN file name with full path: ", pgn_name);
    FILE* pgn = open_regular_file(pgn_name, "r");
    if (!pgn) {
        printf("cannot open file: %s\n", pgn_name);
        return false;
    }
    char book_name[ANSWER_BYTES];
    ask("2) New book filename (just the name): ", book_name);
    ask_settings(engine.book);
    // The book may be rewritten under the engine: it is read again when next used.
    engine.book.book_close();
    book_builder builder;
    printf("new empty book created\n");
    const pgn_summary games = read_pgn_games(pgn, engine.book, builder);
    fclose(pgn);
    printf("games read: %d, used: %d, skipped: %d, cut short: %d\n", games.games, games.accepted,
           games.games - games.accepted, games.broken);
    const int n = replace_book(games, builder, pgn_name, book_name);
    printf("n = %d\n", n);
    printf("Done.\n");
    return n > 0;
}
