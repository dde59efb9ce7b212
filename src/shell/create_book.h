// The console's book-building dialogue.
#pragma once

// Asks for a PGN file, the new book's name, the depth in moves, the minimum
// rating and whether drawn games count, then builds and writes the book.
// False when no book was written (the PGN file cannot be opened or read, it
// gave no book move, or the writing failed). End of input ends the program.
bool create_book();
