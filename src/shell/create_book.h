// The console's book-building dialogue.
#pragma once

// Asks for a PGN file, the new book's name, the depth in moves, the minimum
// rating and whether drawn games count, then builds and writes the book.
// False when the PGN file cannot be opened. End of input ends the program.
bool create_book();
