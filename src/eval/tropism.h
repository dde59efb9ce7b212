// Closeness of a piece to the enemy king, indexed [piece square][king square]
// and built once at start-up; the piece terms sum them into king danger.
#pragma once

extern int tropism_a[64][64];    // queens
extern int tropism_b[64][64];    // knights
extern int tropism_half[64][64]; // rooks
extern int tropism_diag[64][64]; // bishops: closeness plus a bonus for sharing a diagonal

void build_distance_tables();
