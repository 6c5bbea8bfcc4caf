// The records the engine finds in the sample reports, as the dialog must show them (UTF-8).
// Taken from `talvorix-cli --json examples/*.html`; update them together with the samples.
#pragma once

#include <string_view>
#include <vector>

struct ExpectedRecord {
  std::string_view text;
  std::string_view answer;
  std::string_view title;
};

struct ExpectedReport {
  std::string_view file;
  std::vector<ExpectedRecord> records;
};

inline const std::vector<ExpectedReport> kSampleReports = {
    {"fordulo-112.html",
     {
         {"Látsz egy öreg parasztot, aki a mezőn így számolja lépéseit - 30 lépést tesz észak felé, majd megnézi iránytűjét, 90 fokkal jobbra fordul, és újabb 40 lépést tesz meg. Hány lépésre van a kiindulópontjától?",
          "50", " Csarnok feladvány "},
         {"Tudjuk, hogy a vásáron első ízben 3 kard és 2 pajzs 130 aranyért, kelt el, második alkalommal 4 kard és 5 pajzs 220 aranyért. Mennyibe kerül egy kard?",
          "30", " Csarnok feladvány "},
         {"Egyszerű remete feladvány",
          "69", " Remete feladány "},
         {"Ez egy régi számsor. A számok: 1, 3, 7, 15, 31, 63. Mi következik, ha a szabály nem változik?",
          "127", " Csarnok feladvány "},
     }},
    {"fordulo-113.html",
     {
         {"Zuveghar professzor feljegyezte: napi fejadagként 1 zsák zab és napi 1 vödör víz mellett a szaporulat 15 milgand. Kétszeres zab esetén 2 zsák és a víz fejadagnál, 3 vödör, a szaporulat 23 milgand. Ha az állatot 4 zsák zabbal eteti, és a víz fejadagnál 2 vödör, a milgandokkal, 24 lesz a szaporulat. Talán Zuveghar 5 zsák zab és 5 vödör víz mellett mennyi szaporulatot várhat?",
          "35", " Csarnok feladvány "},
         {"Ha 3 favágó 2 hét alatt 12 fát vág ki, akkor 5 favágó 4 hét alatt hány fát vág ki?",
          "40", " Csarnok feladvány "},
         {"Aladár törpe  :  H\nBendegúz törpe  :  H\nCsaba törpe  :  I\nDezső törpe  :  H\nElemér törpe  :  H\n",
          "44", " Remete feladány "},
     }},
    {"fordulo-114.html",
     {
         {"Az alomban minden kölyök felfalt 3 egeret, és minden kölyök megevett 2 egeret minden testvére után is, így összesen 27 egér fogyott. Hány kölyök van az alomban?",
          "3", " Csarnok feladvány "},
         {"Ez a számsor talán nem is szabályos. A számok: 3, 1, 4, 1, 5, 9. Folytasd, ha tudod!",
          "?", " Nem találtam megoldást "},
         {"Aba lovag  :  I  ,  H\nBors lovag  :  I  ,  H\nCsete lovag  :  I  ,  H\nDöme lovag  :  I  ,  H\nEte lovag  :  I  ,  H\nNem egyértelmű megoldás!",
          "32,66", " Remete feladány "},
     }},
};
