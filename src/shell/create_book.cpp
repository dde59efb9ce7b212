#include "shell/create_book.h"

#include <cstdio>
#include <cstdlib>

#include "book/book_builder.h"
#include "chess.h"
#include "shell/input.h"
#include "shell/pgn_reader.h"

// An answer is one line of at most this many characters.
constexpr int ANSWER_BYTES = 1024;
constexpr int LOWEST_MIN_ELO = 1000;

namespace {

// Each answer is echoed, since a GUI or a script does not show what it typed.
void ask(const char* prompt, char (&answer)[ANSWER_BYTES]) {
    printf("%s", prompt);
    fflush(stdout);
    if (!read_line(answer, ANSWER_BYTES)) exit(0);
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

} // namespace

bool create_book() {
    printf("Korvel book creation.\n\nGive filename with full path.\n");
    printf("Give number of moves deep, not plies,\nto records for each games in the file.\n\n");
    char pgn_name[ANSWER_BYTES];
    ask("1) PGN file name with full path: ", pgn_name);
    FILE* pgn = fopen(pgn_name, "r");
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
    read_pgn_games(pgn, engine.book, builder);
    fclose(pgn);
    const int n = builder.write_book(book_name);
    printf("n = %d\n", n);
    printf("Done.\n");
    return true;
}
