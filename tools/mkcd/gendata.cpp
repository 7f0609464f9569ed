/* Stand-in game data from a fixed-seed generator (splitmix64). */
#include "tools/mkcd/gendata.h"

#include <stdio.h>
#include <string.h>

static const char *const kindNames[GEN_KINDS] = {
  "table", "text", "image", "binary", "exe", "mixed", "sound", "noise", "icon"};

int GenerateKindFromName(const char *name)
{
  for (int k = 0; k < GEN_KINDS; k++)
    if (strcmp(name, kindNames[k]) == 0)
      return k;
  return -1;
}

const char *GenerateKindName(int kind)
{
  return kind >= 0 && kind < GEN_KINDS ? kindNames[kind] : "?";
}

static uint64_t Next(uint64_t *state)
{
  uint64_t z = (*state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

/* 0 .. n-1 */
static unsigned Below(uint64_t *state, unsigned n)
{
  return (unsigned)((Next(state) >> 32) * n >> 32);
}

/* Skewed towards small values, as word frequencies are. */
static unsigned Skewed(uint64_t *state, unsigned n)
{
  unsigned a = Below(state, n);
  unsigned b = Below(state, n);
  return a < b ? a : b;
}

static const char *const words[] = {
  "el", "la", "de", "que", "y", "en", "un", "una", "los", "las", "por", "con", "para", "no", "se",
  "del", "al", "su", "es", "lo", "como", "pero", "mas", "sin", "sobre", "entre", "cuando", "hasta",
  "puerta", "llave", "nave", "robot", "tango", "laser", "pasillo", "sector", "nivel", "mapa",
  "enemigo", "guardia", "capitan", "piloto", "bazooka", "pistola", "granada", "cohete", "lanzallamas",
  "escudo", "energia", "municion", "salida", "entrada", "ascensor", "consola", "terminal", "codigo",
  "mision", "base", "hangar", "reactor", "torre", "puente", "cubierta", "almacen", "laboratorio",
  "abre", "cierra", "dispara", "corre", "salta", "busca", "encuentra", "destruye", "protege",
  "activa", "desactiva", "recoge", "usa", "habla", "escucha", "espera", "vuelve", "sigue",
  "rojo", "azul", "verde", "oscuro", "brillante", "secreto", "peligroso", "roto", "nuevo", "viejo",
  "primer", "segundo", "tercer", "ultimo", "gran", "pequeno", "largo", "norte", "sur", "este", "oeste",
  "the", "door", "key", "ship", "level", "player", "score", "bonus", "time", "life", "ammo",
  "Vornhollow", "Zeph", "Tinfoil", "Tango", "Kessler", "Marga", "Orun", "Dalt",
};
static const unsigned wordCount = sizeof words / sizeof words[0];

/* Appends s at *at within size; returns 0 once the buffer is full. */
static int Put(unsigned char *out, size_t size, size_t *at, const char *s, size_t n)
{
  size_t room = size - *at;
  if (n > room)
    n = room;
  memcpy(out + *at, s, n);
  *at += n;
  return *at < size;
}

static void Text(uint64_t *rng, unsigned char *out, size_t size)
{
  size_t at = 0;
  size_t column = 0;
  int startSentence = 1;
  while (at < size) {
    const char *w = words[Skewed(rng, wordCount)];
    char word[32];
    size_t n = strlen(w);
    memcpy(word, w, n);
    if (startSentence && word[0] >= 'a' && word[0] <= 'z')
      word[0] = (char)(word[0] - 32);
    startSentence = 0;
    unsigned r = Below(rng, 100);
    if (r < 9) {
      word[n++] = '.';
      startSentence = 1;
    } else if (r < 14) {
      word[n++] = ',';
    }
    if (column + n + 1 > 72) {
      if (!Put(out, size, &at, "\r\n", 2))
        break;
      if (startSentence && Below(rng, 4) == 0 && !Put(out, size, &at, "\r\n", 2))
        break;
      column = 0;
    } else if (column > 0) {
      if (!Put(out, size, &at, " ", 1))
        break;
      column++;
    }
    if (!Put(out, size, &at, word, n))
      break;
    column += n;
  }
}

static void Table(uint64_t *rng, unsigned char *out, size_t size)
{
  static const char *const types[] = {"PUERTA", "LLAVE", "GUARDIA", "CAJA", "LUZ", "ASCENSOR", "MUNICION", "TERMINAL"};
  size_t at = 0;
  unsigned id = 0;
  char line[160];
  while (at < size) {
    int n = snprintf(line, sizeof line, "OBJ_%04u,%s,X=%u,Y=%u,Z=%u,ANGULO=%u,FLAGS=0x%04X\r\n", id++,
                     types[Skewed(rng, 8)], Below(rng, 2048), Below(rng, 2048), Below(rng, 16) * 32,
                     Below(rng, 8) * 45, 1u << Below(rng, 12));
    if (!Put(out, size, &at, line, (size_t)n))
      break;
  }
}

static void Image(uint64_t *rng, unsigned char *out, size_t size)
{
  const size_t width = 320;
  unsigned base = Below(rng, 200);
  for (size_t i = 0; i < size;) {
    /* Flat runs (sky, walls, transparent areas) between smooth shading. */
    if (Below(rng, 8) == 0) {
      size_t run = 8 + Below(rng, 120);
      unsigned char colour = (unsigned char)(Below(rng, 4) == 0 ? 0 : base);
      for (; run && i < size; run--, i++)
        out[i] = colour;
      continue;
    }
    size_t x = i % width, y = i / width;
    unsigned v = (unsigned)(base + (x * 3 + y * 5) / 16 % 32);
    if (Below(rng, 6) == 0)
      v += Below(rng, 3);
    out[i++] = (unsigned char)v;
    if (x == width - 1 && Below(rng, 16) == 0)
      base = Below(rng, 200);
  }
}

static void Binary(uint64_t *rng, unsigned char *out, size_t size)
{
  unsigned char record[32];
  unsigned id = 0;
  for (size_t at = 0; at < size; at += sizeof record) {
    memset(record, 0, sizeof record);
    record[0] = (unsigned char)id;
    record[1] = (unsigned char)(id >> 8);
    id++;
    record[2] = (unsigned char)Skewed(rng, 12);
    record[3] = (unsigned char)(1u << Below(rng, 8));
    unsigned x = Below(rng, 4096), y = Below(rng, 4096);
    record[4] = (unsigned char)x;
    record[5] = (unsigned char)(x >> 8);
    record[6] = (unsigned char)y;
    record[7] = (unsigned char)(y >> 8);
    record[8] = (unsigned char)(Below(rng, 8) * 32);
    for (int k = 12; k < 20; k++)
      record[k] = (unsigned char)(Below(rng, 3) == 0 ? Below(rng, 256) : 0);
    record[24] = 0xFF;
    record[25] = (unsigned char)Skewed(rng, 64);
    size_t n = size - at < sizeof record ? size - at : sizeof record;
    memcpy(out + at, record, n);
  }
}

static void Exe(uint64_t *rng, unsigned char *out, size_t size)
{
  static const unsigned char opcodes[] = {0x8B, 0x89, 0xE8, 0x55, 0x5D, 0xC3, 0x83, 0xC4, 0x50, 0x51,
                                          0x52, 0x53, 0x56, 0x57, 0xFF, 0x74, 0x75, 0xEB, 0x33, 0xC0,
                                          0x85, 0x0F, 0x8D, 0x45, 0xEC, 0x08, 0x04, 0x00, 0x6A, 0x68};
  static const char stub[] = "This program cannot be run in DOS mode.\r\r\n$";
  memset(out, 0, size);
  size_t at = 0;
  if (size >= 0x100) {
    out[0] = 'M';
    out[1] = 'Z';
    out[0x3C] = 0x80;
    memcpy(out + 0x4E, stub, sizeof stub - 1);
    memcpy(out + 0x80, "PE\0\0\x4C\x01", 6);
    at = 0x400;
  }
  size_t code = at + (size - at) * 6 / 10;
  size_t strings = at + (size - at) * 8 / 10;
  for (; at < code && at < size; at++)
    out[at] = Below(rng, 4) ? opcodes[Skewed(rng, sizeof opcodes)] : (unsigned char)Below(rng, 256);
  char line[96];
  while (at < strings) {
    int n = snprintf(line, sizeof line, "%s %s %s", words[Skewed(rng, wordCount)],
                     words[Skewed(rng, wordCount)], words[Below(rng, wordCount)]);
    size_t take = (size_t)n + 1; /* with its NUL, as a C string in a data section */
    if (take > strings - at)
      take = strings - at;
    memcpy(out + at, line, take);
    at += take;
  }
  /* The rest: relocation-like pairs and zero padding to 512-byte pages. */
  for (; at < size; at++)
    out[at] = (at & 511) < 300 && (at & 1) ? (unsigned char)Below(rng, 16) : 0;
}

static void Sound(uint64_t *rng, unsigned char *out, size_t size)
{
  /* Two tones from integer phase steps, a triangle each, and noise. */
  unsigned phase1 = 0, phase2 = 0;
  unsigned step1 = 300 + Below(rng, 900), step2 = 1100 + Below(rng, 1700);
  for (size_t i = 0; i < size; i++) {
    if ((i & 8191) == 0) {
      step1 = 300 + Below(rng, 900);
      step2 = 1100 + Below(rng, 1700);
    }
    phase1 = (phase1 + step1) & 0xFFFF;
    phase2 = (phase2 + step2) & 0xFFFF;
    int t1 = phase1 < 0x8000 ? (int)phase1 : (int)(0xFFFF - phase1);
    int t2 = phase2 < 0x8000 ? (int)phase2 : (int)(0xFFFF - phase2);
    int v = 128 + (t1 - 0x4000) / 400 + (t2 - 0x4000) / 700 + (int)Below(rng, 9) - 4;
    out[i] = (unsigned char)(v < 0 ? 0 : v > 255 ? 255 : v);
  }
}

static void Noise(uint64_t *rng, unsigned char *out, size_t size)
{
  size_t i = 0;
  for (; i + 8 <= size; i += 8) {
    uint64_t v = Next(rng);
    memcpy(out + i, &v, 8);
  }
  for (; i < size; i++)
    out[i] = (unsigned char)Next(rng);
}

/* A 32 x 32 icon, 4 bits per pixel: a disc of one colour on another. */
static void Icon(uint64_t *rng, unsigned char *out, size_t size)
{
  unsigned char icon[GEN_ICON_SIZE];
  memset(icon, 0, sizeof icon);
  icon[2] = 1;                       /* resource type: icon */
  icon[4] = 1;                       /* one image */
  icon[6] = 32;                      /* width */
  icon[7] = 32;                      /* height */
  icon[8] = 16;                      /* colours */
  icon[10] = 1;                      /* planes */
  icon[12] = 4;                      /* bits per pixel */
  unsigned bytes = 40 + 64 + 512 + 128;
  icon[14] = (unsigned char)bytes;
  icon[15] = (unsigned char)(bytes >> 8);
  icon[18] = 22;                     /* image offset */
  unsigned char *h = icon + 22;
  h[0] = 40;                         /* BITMAPINFOHEADER */
  h[4] = 32;
  h[8] = 64;                         /* height of the colour and mask bitmaps together */
  h[12] = 1;
  h[14] = 4;
  unsigned char *palette = h + 40;
  static const unsigned char vga[16][3] = {
    {0, 0, 0}, {0, 0, 128}, {0, 128, 0}, {0, 128, 128}, {128, 0, 0}, {128, 0, 128}, {128, 128, 0},
    {192, 192, 192}, {128, 128, 128}, {0, 0, 255}, {0, 255, 0}, {0, 255, 255}, {255, 0, 0},
    {255, 0, 255}, {255, 255, 0}, {255, 255, 255}};
  for (int c = 0; c < 16; c++) {
    palette[c * 4] = vga[c][2];
    palette[c * 4 + 1] = vga[c][1];
    palette[c * 4 + 2] = vga[c][0];
  }
  unsigned char *pixels = palette + 64;
  unsigned fg = 9 + Below(rng, 7), bg = 1 + Below(rng, 7);
  for (int y = 0; y < 32; y++)
    for (int x = 0; x < 32; x++) {
      int dx = x - 16, dy = y - 16;
      unsigned c = dx * dx + dy * dy < 150 ? fg : bg;
      unsigned char *p = pixels + y * 16 + x / 2;
      *p = (unsigned char)(x & 1 ? (*p & 0xF0) | c : (c << 4));
    }
  /* The AND mask (after the pixels) stays zero: every pixel opaque. */
  memcpy(out, icon, size < sizeof icon ? size : sizeof icon);
}

static void Generate(int kind, uint64_t *rng, unsigned char *out, size_t size);

static void Mixed(uint64_t *rng, unsigned char *out, size_t size)
{
  static const int order[] = {GEN_BINARY, GEN_TEXT, GEN_IMAGE, GEN_TABLE, GEN_BINARY, GEN_SOUND, GEN_IMAGE, GEN_NOISE};
  const size_t block = 65536;
  for (size_t at = 0, b = 0; at < size; at += block, b++) {
    size_t n = size - at < block ? size - at : block;
    Generate(order[b % 8], rng, out + at, n);
  }
}

static void Generate(int kind, uint64_t *rng, unsigned char *out, size_t size)
{
  switch (kind) {
  case GEN_TABLE: Table(rng, out, size); break;
  case GEN_TEXT: Text(rng, out, size); break;
  case GEN_IMAGE: Image(rng, out, size); break;
  case GEN_BINARY: Binary(rng, out, size); break;
  case GEN_EXE: Exe(rng, out, size); break;
  case GEN_MIXED: Mixed(rng, out, size); break;
  case GEN_SOUND: Sound(rng, out, size); break;
  case GEN_ICON: Icon(rng, out, size); break;
  default: Noise(rng, out, size); break;
  }
}

void GenerateData(int kind, uint64_t seed, unsigned char *out, size_t size)
{
  uint64_t rng = seed * 0x2545F4914F6CDD1Dull + (uint64_t)kind;
  Generate(kind, &rng, out, size);
}
