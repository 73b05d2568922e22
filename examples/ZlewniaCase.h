#pragma once
// The example case "zlewnia": a catchment of about 104 km2 and a 24-hour storm of 71,5 mm.
// The three data files and the project file of examples/ are these records, written by the
// program's own codec (make_zlewnia writes them; a test checks the committed files).
//
// Land use: mostly arable land and woods on soil group B, meadows and pastures on C and D in
// the valley, some housing and roads; the own class "Inny:" is orchards (CN 43/65/76/82).
// The averaged CN is 68,2, so the initial abstraction 0,2 S lies between 23,7 and 30,8 mm
// whatever the random factor of S: the cumulative rainfall passes it inside hour 11 (22,9 mm
// after hour 10, 36,5 mm after hour 11), the first effective hour always carries a fair
// depth, and every response is short; the hydrograph lasts about 55-65 hours.
#include "files/DataFiles.h"

namespace moravel::examples {

inline files::RainfallRecord ZlewniaRainfall() {
    files::RainfallRecord r;
    r.hours = {"0,3", "0,5", "0,7", "1,0", "1,4", "1,9", "2,6", "3,5", "4,8", "6,2", "13,6", "10,4",
               "7,1", "4,9", "3,4", "2,5", "1,8", "1,3", "1,0", "0,8", "0,6", "0,5", "0,4", "0,3"};
    r.hourCount = QString::number(r.hours.size());
    r.effective = false;
    return r;
}

inline files::ScsRecord ZlewniaLandUse() {
    files::ScsRecord r;
    // Rows in the order of the land-use panel (0 = arable land without row crops ... 20 = own
    // class); columns are soil groups A, B, C, D. Areas in km2.
    r.areas[0] = {"", "18,5", "9,2", ""};   // arable land without row crops
    r.areas[1] = {"", "6,4", "4,1", ""};    // arable land with row crops
    r.areas[3] = {"", "5,3", "3,7", "1,2"}; // pasture in good condition
    r.areas[4] = {"", "4,8", "6,3", "2,9"}; // meadow in good condition
    r.areas[5] = {"2,1", "4,6", "", ""};    // woods, thin stand
    r.areas[6] = {"8,4", "12,7", "3,5", ""};// woods, good cover
    r.areas[11] = {"", "1,6", "0,9", ""};   // housing, lots of 500 m2
    r.areas[13] = {"", "2,2", "1,1", ""};   // housing, lots of 1300 m2
    r.areas[17] = {"", "0,4", "0,3", ""};   // roads with kerbs and drains
    r.areas[19] = {"", "0,6", "0,5", ""};   // dirt roads
    r.areas[20] = {"", "1,4", "1,0", ""};   // orchards (own class)
    r.ownClassCn = {"43", "65", "76", "82"};
    return r;
}

inline files::ParametersRecord ZlewniaParameters() {
    files::ParametersRecord r;
    // RB, RL, RA, So, Lo [km], b [m], n
    r.values = {"4,2", "2,3", "4,8", "0,004", "12", "15", "0,04"};
    return r;
}

// The project names the three files by their names alone: they lie beside it.
inline files::ProjectPaths ZlewniaProject(const QString& folder) {
    return {folder + "/zlewnia.kwp", folder + "/zlewnia.kws", folder + "/zlewnia.kwx"};
}

}  // namespace moravel::examples
