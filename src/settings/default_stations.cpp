#include "settings/default_stations.h"

namespace tandrel {

const std::array<DefaultStation, DEFAULT_STATION_COUNT> defaultStations = {{
    // Rock
    {"Rock | Rock", "https://stream.rockantenne.de/rockantenne/stream/mp3"},
    {"Rock | Classic Rock", "https://stream.rockantenne.de/classic-perlen/stream/mp3"},
    {"Rock | Hard Rock", "https://streams.radiobob.de/bob-hardrock/mp3-192/streams.radiobob.de/"},
    {"Rock | Metal", "https://stream.rockantenne.de/heavy-metal/stream/mp3"},
    {"Rock | Alternative", "https://stream.rockantenne.de/alternative/stream/mp3"},
    {"Rock | Blues Rock", "https://stream.rockantenne.de/blues-rock/stream/mp3"},
    {"Rock | Deutsch Rock", "https://stream.rockantenne.de/deutschrock/stream/mp3"},
    {"Rock | 80s Rock", "https://stream.rockantenne.de/80er-rock/stream/mp3"},
    {"Rock | 90s Rock", "https://stream.rockantenne.de/90er-rock/stream/mp3"},
    {"Rock | FIP Rock", "https://icecast.radiofrance.fr/fiprock-midfi.mp3"},

    // Pop
    {"Pop | Charts", "https://streams.bigfm.de/bigfm-charts-128-mp3"},
    {"Pop | Hits", "https://streams.ilovemusic.de/iloveradio1.mp3"},
    {"Pop | Energy", "https://frontend.streamonkey.net/energy-berlin/stream/mp3"},
    {"Pop | Kiss FM", "https://stream.kissfm.de/kissfm/mp3-128/internetradio/"},
    {"Pop | Top 40", "https://stream.antenne.de/top-40/stream/mp3"},
    {"Pop | New Hits", "https://mp3.ffh.de/ffhchannels/hqbrandneu.mp3"},
    {"Pop | Party Hits", "https://streams.ilovemusic.de/iloveradio14.mp3"},
    {"Pop | Love Songs", "https://stream.antenne.de/lovesongs/stream/mp3"},
    {"Pop | 1Live", "https://wdr-1live-live.icecastssl.wdr.de/wdr/1live/live/mp3/128/stream.mp3"},
    {"Pop | NDR2", "https://icecast.ndr.de/ndr/ndr2/niedersachsen/mp3/128/stream.mp3"},
    {"Pop | Antenne", "https://stream.antenne.de/antenne/stream/mp3"},
    {"Pop | Planet", "https://mp3.planetradio.de/planetradio/hqlivestream.mp3"},

    // HipHop
    {"HipHop | HipHop", "https://streams.ilovemusic.de/iloveradio3.mp3"},
    {"HipHop | R&B", "https://streams.bigfm.de/bigfm-rnb-128-mp3"},
    {"HipHop | Deutsch Rap", "https://streams.bigfm.de/bigfm-deutschrap-128-mp3"},
    {"HipHop | History", "https://streams.ilovemusic.de/iloveradio27.mp3"},

    // Electronic
    {"Electronic | Techno", "https://stream.sunshine-live.de/techno/mp3-192/stream.sunshine-live.de/"},
    {"Electronic | EDM", "https://stream.sunshine-live.de/edm/mp3-192/stream.sunshine-live.de/"},
    {"Electronic | House", "https://stream.sunshine-live.de/house/mp3-192/stream.sunshine-live.de/"},
    {"Electronic | Hardstyle", "https://streams.ilovemusic.de/iloveradio21.mp3"},
    {"Electronic | Trance", "https://stream.sunshine-live.de/trance/mp3-192/stream.sunshine-live.de/"},
    {"Electronic | Dance", "https://streams.ilovemusic.de/iloveradio2.mp3"},
    {"Electronic | Club", "https://mp3.planetradio.de/plrchannels/hqtheclub.mp3"},
    {"Electronic | Mashup", "https://streams.ilovemusic.de/iloveradio5.mp3"},

    // Chill
    {"Chill | Chill", "https://stream.antenne.de/chillout/stream/mp3"},
    {"Chill | Lounge", "https://mp3.ffh.de/ffhchannels/hqlounge.mp3"},
    {"Chill | Chillhop", "https://streams.ilovemusic.de/iloveradio17.mp3"},
    {"Chill | Ambient", "https://ice1.somafm.com/dronezone-128-mp3"},
    {"Chill | FIP Groove", "https://icecast.radiofrance.fr/fipgroove-midfi.mp3"},

    // Jazz
    {"Jazz | Jazz", "https://stream.srg-ssr.ch/m/rsj/mp3_128"},
    {"Jazz | FIP Jazz", "https://icecast.radiofrance.fr/fipjazz-midfi.mp3"},

    // Oldies
    {"Oldies | Oldies", "https://stream.antenne.de/oldies-but-goldies/stream/mp3"},
    {"Oldies | 70s", "https://stream.antenne.de/70er-hits/stream/mp3"},
    {"Oldies | 80s", "https://stream.antenne.de/80er-kulthits/stream/mp3"},
    {"Oldies | 90s", "https://mp3.ffh.de/ffhchannels/hq90er.mp3"},
    {"Oldies | Hits History", "https://streams.ilovemusic.de/iloveradio12.mp3"},

    // Klassik
    {"Klassik | BR Klassik", "https://dispatcher.rndfnk.com/br/brklassik/live/mp3/high"},
    {"Klassik | Klassik Radio", "https://stream.klassikradio.de/live/mp3-192/stream.klassikradio.de/"},

    // Schlager
    {"Schlager | Schlager", "https://dispatcher.rndfnk.com/br/brschlager/live/mp3/mid"},
    {"Schlager | Party", "https://stream.ffn.de/radiobollerwagen/mp3-192/"},

    // Deutsch
    {"Deutsch | BR3", "https://dispatcher.rndfnk.com/br/br3/live/mp3/mid"},
}};

}  // namespace tandrel
