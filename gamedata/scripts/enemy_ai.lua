--[[
  enemy_ai.lua -- what Orvantis monsters do when they stop simply hitting you.

  Each battle loads this file fresh, so anything kept in the table Memory
  lasts exactly one fight.

  The game calls MonsterAI(player, sidekick, monster) when a monster decides
  to use its special move instead of a plain attack. The three arguments are
  records: strings of fields written "|NUM|name|value|" or "|STR|name|text|"
  one after another. The game reads the returned records back BY POSITION, so
  every record we hand back keeps all its fields, names and order.

  Player and sidekick records (32 fields):
    HP maxHP MP maxMP  modHP modMaxHP modMP modMaxMP
    lv spd atk mag lowDef midDef hiDef
    modSpd modAtk modMag modLowDef modMidDef modHiDef
    fire ice light dark normal  modFire modIce modLight modDark modNormal
    name
  The "mod" fields are what counts in battle (modHP is the current HP). The
  plain ones are the hero's permanent build: we never touch those. Changes to
  mod values (other than HP and MP) wear off when the battle ends.
  Resistances are damage multipliers: 1 = full damage, 0.5 = half, 0 = none,
  below 0 the blow heals.

  Monster record (18 fields):
    HP maxHP MP maxMP  lv spd atk mag lowDef midDef hiDef
    fire ice light dark normal  mtype name
  The monster is thrown away after the fight, so changing its values is fine.

  To add a move: write a function in MonsterActions under a new name and put
  that name on the "Type:" line of a monster in gamedata/monsters/. Each move
  gets (p, s, m) -- the parsed player, sidekick and monster -- and changes them
  through get/set. MonsterAI does the parsing and rebuilding around it.
--]]

---------------------------------------------------------------------------
-- Colours understood by the game's message log.
---------------------------------------------------------------------------
local YELLOW, WHITE, MAGENTA, CYAN, GREEN, RED = "\24", "\25", "\27", "\28", "\29", "\31"

local PLAYER_FIELDS = {
  "HP", "maxHP", "MP", "maxMP", "modHP", "modMaxHP", "modMP", "modMaxMP",
  "lv", "spd", "atk", "mag", "lowDef", "midDef", "hiDef",
  "modSpd", "modAtk", "modMag", "modLowDef", "modMidDef", "modHiDef",
  "fire", "ice", "light", "dark", "normal",
  "modFire", "modIce", "modLight", "modDark", "modNormal", "name",
}
local MONSTER_FIELDS = {
  "HP", "maxHP", "MP", "maxMP", "lv", "spd", "atk", "mag", "lowDef", "midDef", "hiDef",
  "fire", "ice", "light", "dark", "normal", "mtype", "name",
}

---------------------------------------------------------------------------
-- Records
---------------------------------------------------------------------------

-- parse(record) -> ordered list of {tag, name, value} (value is a number for
-- NUM fields, text for STR fields), or nil when the text is not a record.
function parse(record)
  if type(record) ~= "string" or record == "" then return nil end
  local list, pos = {}, 1
  while pos <= #record do
    local tag, name, value, after = string.match(record, "^|([^|]*)|([^|]*)|([^|]*)|()", pos)
    if not tag then return nil end
    local field = { tag = tag, name = name, raw = value }
    if tag == "NUM" then
      field.value = tonumber(value) or 0
    else
      field.value = value
    end
    list[#list + 1] = field
    pos = after
  end
  return list
end

-- Numbers go back in the same plain style the game writes them.
local function formatNumber(v)
  if v ~= v or v == math.huge or v == -math.huge then return "0" end
  if v == math.floor(v) and math.abs(v) < 1e15 then return string.format("%d", v) end
  return string.format("%.6g", v)
end

-- build(list) -> record string, fields in the same order. Untouched fields
-- are written back exactly as they came in.
function build(list)
  local out = {}
  for i, f in ipairs(list) do
    local text
    if f.changed then
      text = (f.tag == "NUM") and formatNumber(f.value) or tostring(f.value)
    else
      text = f.raw or tostring(f.value)
    end
    out[i] = "|" .. f.tag .. "|" .. f.name .. "|" .. text .. "|"
  end
  return table.concat(out)
end

-- A parsed record with get/set by field name.
local Record = {}
Record.__index = Record

local function wrap(record, expected)
  local list = parse(record)
  if not list or #list ~= #expected then return nil end
  local index = {}
  for i, name in ipairs(expected) do
    if list[i].name ~= name then return nil end
    index[name] = i
  end
  return setmetatable({ list = list, index = index }, Record)
end

function Record:get(name)
  local f = self.list[self.index[name]]
  return f.value
end

function Record:set(name, value)
  local f = self.list[self.index[name]]
  if f.tag == "NUM" then
    if value ~= value then value = 0 end
  end
  f.value = value
  f.changed = true
end

function Record:text()
  return build(self.list)
end

---------------------------------------------------------------------------
-- Helpers shared by the moves
---------------------------------------------------------------------------

Memory = Memory or {}

local function say(text)
  if DisplayAddMessage then DisplayAddMessage(text) end
end

local function chance(percent)
  return math.random(100) <= percent
end

local function pick(list)
  return list[math.random(#list)]
end

-- A name that starts with its own article (The Iron Bosun) keeps it.
local function monsterName(m)
  local name = m:get("name")
  if name:sub(1, 4) == "The " then return MAGENTA .. name .. WHITE end
  return "The " .. MAGENTA .. name .. WHITE
end

-- "you" / the sidekick's name, and their possessive forms.
local function who(v)
  if v.isPlayer then return YELLOW .. "you" .. WHITE end
  return YELLOW .. v:get("name") .. WHITE
end

local function whose(v)
  if v.isPlayer then return YELLOW .. "your" .. WHITE end
  return YELLOW .. v:get("name") .. "'s" .. WHITE
end

-- The same at the start of a sentence.
local function Who(v)
  if v.isPlayer then return YELLOW .. "You" .. WHITE end
  return who(v)
end

local function Whose(v)
  if v.isPlayer then return YELLOW .. "Your" .. WHITE end
  return whose(v)
end

-- "you fight" / "Bob fights".
local function verb(v, plain, third)
  if v.isPlayer then return plain end
  return third
end

local function number(n, colour)
  return (colour or GREEN) .. formatNumber(math.floor(n + 0.5)) .. WHITE
end

local function alive(v)
  return v:get("modHP") > 0
end

-- The monster's usual target: the sidekick about two times in five, if it is
-- still standing, otherwise the player.
local function pickVictim(p, s)
  if alive(s) and chance(40) then return s end
  return p
end

-- The first value of a stat seen this battle; buffs and debuffs are capped
-- against it so nothing grows or shrinks without end.
local function firstSeen(key, value)
  Memory.first = Memory.first or {}
  if Memory.first[key] == nil then Memory.first[key] = value end
  return Memory.first[key]
end

local function victimKey(v, stat)
  return (v.isPlayer and "player:" or "sidekick:") .. stat
end

-- Dividing by the log of the defence, as every blow in the game does; a
-- tiny defence simply lets the whole blow through.
local function defenceDivisor(defence)
  local x = 0.9 * (defence or 0)
  if x <= math.exp(1) then return 1 end
  return math.log(x)
end

local DEFENCES = { "modLowDef", "modMidDef", "modHiDef" }
local RESIST = { Fire = "modFire", Ice = "modIce", Light = "modLight", Dark = "modDark", Ether = "modNormal" }
local ELEMENT_COLOUR = { Fire = RED, Ice = CYAN, Light = YELLOW, Dark = MAGENTA, Ether = GREEN }

-- A physical blow worth `mult` ordinary hits, at a random body part.
local function physical(m, v, mult)
  local defence = v:get(pick(DEFENCES))
  local roll = math.random(86, 100)
  local damage = roll * m:get("atk") * 0.033 * mult / defenceDivisor(defence)
  return math.max(1, math.floor(damage + 0.5))
end

-- An elemental blow: the monster's attack and a share of its magic, against
-- the victim's average defence, times the victim's resistance to the element.
local function elemental(m, v, mult, element)
  local defence = (v:get("modLowDef") + v:get("modMidDef") + v:get("modHiDef")) / 3
  local power = 0.8 * m:get("atk") + 0.5 * m:get("mag")
  local roll = math.random(86, 100)
  local damage = roll * power * 0.033 * mult / defenceDivisor(defence)
  damage = math.max(1, damage) * v:get(RESIST[element])
  if damage >= 0 then return math.floor(damage + 0.5) end
  return -math.floor(-damage + 0.5)
end

-- Takes `damage` off the victim (a negative amount heals), keeping HP within
-- 0..max. Returns the HP actually lost (negative when healed).
local function hurt(v, damage)
  local hp = v:get("modHP")
  local top = v:get("modMaxHP")
  local new = hp - damage
  if new > top then new = math.max(hp, top) end
  if new < 0 then new = 0 end
  v:set("modHP", new)
  return hp - new
end

-- Reports a blow: "<opening> N damage to you." -- or, when the element does
-- the victim good, says so.
local function report(opening, v, lost)
  if lost >= 0 then
    say(opening .. " " .. number(lost, RED) .. " damage to " .. who(v) .. ".")
  else
    say(opening .. " nothing at all; it does " .. who(v) .. " good instead, " .. number(-lost) .. " HP back.")
  end
end

local function healMonster(m, amount)
  local hp, top = m:get("HP"), m:get("maxHP")
  local new = math.min(top, hp + math.floor(math.max(0, amount) + 0.5))
  if new < hp then new = hp end
  m:set("HP", new)
  return new - hp
end

-- Multiplies a victim's battle stat, never below `floorShare` of what it was
-- when the battle first saw it.
local function weaken(v, stat, factor, floorShare)
  local now = v:get(stat)
  local first = firstSeen(victimKey(v, stat), now)
  local limit = first * floorShare
  local new = now * factor
  if first > 0 and new < limit then new = math.min(now, limit) end
  if first <= 0 then new = now end
  v:set(stat, new)
  return now - new
end

-- Multiplies one of the monster's own stats, never above `capShare` of its
-- starting value.
local function strengthen(m, stat, factor, capShare)
  local now = m:get(stat)
  local first = firstSeen("monster:" .. stat, now)
  local new = math.min(now * factor, first * capShare)
  if new < now then new = now end
  m:set(stat, new)
  return new - now
end

-- A plain, well-aimed blow, for when a special move would be wasted.
local function strike(p, s, m, mult, how)
  local v = pickVictim(p, s)
  local lost = hurt(v, physical(m, v, mult or 1))
  report(monsterName(m) .. " " .. (how or "lands a heavy blow") .. ":", v, lost)
end

---------------------------------------------------------------------------
-- The moves. Keys are the "Type:" values of the monster files.
---------------------------------------------------------------------------

MonsterActions = {}

-- Licks its wounds. When it is barely scratched it hits you instead.
MonsterActions.Regenerate = function(p, s, m)
  if m:get("HP") > 0.8 * m:get("maxHP") then
    strike(p, s, m, 1.1, "is feeling healthy and shows it")
    return
  end
  local healed = healMonster(m, m:get("maxHP") * (0.12 + math.random() * 0.08) + m:get("mag"))
  say(monsterName(m) .. " " .. pick({ "licks its wounds", "patches itself up", "catches its breath" })
      .. " and recovers " .. number(healed) .. " HP.")
end

-- Works itself into a fury: attack up (up to half again), plus a swing.
MonsterActions.Enrage = function(p, s, m)
  local gained = strengthen(m, "atk", 1.15, 1.5)
  if gained > 0 then
    say(monsterName(m) .. " " .. pick({ "roars", "snarls", "stamps and bellows", "gets very cross" })
        .. ". Its attack rises by " .. number(gained, RED) .. "!")
  else
    strike(p, s, m, 1.2, "is as angry as it gets and swings wildly")
  end
end

-- Hunkers down: all three defences up (up to half again).
MonsterActions.Harden = function(p, s, m)
  local gained = 0
  for _, d in ipairs({ "lowDef", "midDef", "hiDef" }) do
    gained = gained + strengthen(m, d, 1.2, 1.5)
  end
  if gained > 0 then
    say(monsterName(m) .. " " .. pick({ "curls up behind its armour", "hunkers down", "braces itself" })
        .. ". Its defences rise!")
  else
    strike(p, s, m, 1.1, "comes out of its shell swinging")
  end
end

-- A dark, poisonous bite that also leaves the victim sluggish.
MonsterActions.Venom = function(p, s, m)
  local v = pickVictim(p, s)
  local lost = hurt(v, elemental(m, v, 1.0, "Dark"))
  weaken(v, "modSpd", 0.9, 0.6)
  report(monsterName(m) .. " bites with " .. MAGENTA .. "dark venom" .. WHITE .. ":", v, lost)
  say("The venom leaves " .. who(v) .. " sluggish: speed down.")
end

-- Drinks the victim's health and keeps it.
MonsterActions.Leech = function(p, s, m)
  local v = pickVictim(p, s)
  local lost = hurt(v, physical(m, v, 0.9))
  local healed = healMonster(m, lost)
  say(monsterName(m) .. " latches on and drains " .. number(lost, RED) .. " HP from " .. who(v)
      .. ", healing itself by " .. number(healed) .. ".")
end

-- Steals magic points, from the player if there are any to steal.
MonsterActions.ManaDrain = function(p, s, m)
  local v = p
  if p:get("modMP") < 1 and alive(s) and s:get("modMP") >= 1 then v = s end
  local mp = v:get("modMP")
  if mp < 1 then
    strike(p, s, m, 1.1, "finds no magic worth stealing and attacks instead")
    return
  end
  local stolen = math.min(mp, math.floor(8 + m:get("mag") * 0.5 + v:get("modMaxMP") * 0.08))
  v:set("modMP", mp - stolen)
  local healed = healMonster(m, stolen)
  say(monsterName(m) .. " " .. pick({ "picks", "siphons", "pilfers" }) .. " " .. number(stolen, CYAN)
      .. " MP out of " .. who(v) .. (healed > 0 and (" and feels " .. number(healed) .. " HP better.") or "."))
end

-- Breathes over the whole party; each victim's resistance counts.
local function breath(p, s, m, element, afterEach)
  say(monsterName(m) .. " breathes a blast of " .. ELEMENT_COLOUR[element] .. string.lower(element) .. WHITE
      .. " over the party!")
  for _, v in ipairs({ p, s }) do
    if alive(v) then
      local lost = hurt(v, elemental(m, v, 0.75, element))
      report("  It deals", v, lost)
      if afterEach then afterEach(v) end
    end
  end
end

MonsterActions.FireBreath = function(p, s, m)
  breath(p, s, m, "Fire")
end

-- Frost also slows whoever it touches.
MonsterActions.FrostBreath = function(p, s, m)
  breath(p, s, m, "Ice", function(v) weaken(v, "modSpd", 0.92, 0.6) end)
end

-- An ether bolt at one victim.
MonsterActions.Shock = function(p, s, m)
  local v = pickVictim(p, s)
  local lost = hurt(v, elemental(m, v, 1.05, "Ether"))
  report(monsterName(m) .. " crackles and lets fly a bolt of " .. GREEN .. "ether" .. WHITE .. ":", v, lost)
end

-- A flash of light: hurts and spoils the victim's aim (attack down).
MonsterActions.Dazzle = function(p, s, m)
  local v = pickVictim(p, s)
  local lost = hurt(v, elemental(m, v, 0.8, "Light"))
  weaken(v, "modAtk", 0.9, 0.6)
  report(monsterName(m) .. " flashes " .. YELLOW .. "blinding light" .. WHITE .. ":", v, lost)
  say(Who(v) .. " can hardly see what to hit: attack down.")
end

-- Chews, cuts or pries at the victim's armour: a small hit, defences down.
MonsterActions.Shred = function(p, s, m)
  local v = pickVictim(p, s)
  local lost = hurt(v, physical(m, v, 0.6))
  for _, d in ipairs(DEFENCES) do weaken(v, d, 0.85, 0.5) end
  report(monsterName(m) .. " tears at the armour straps:", v, lost)
  say(Whose(v) .. " defences drop.")
end

-- Insults, shouting and general demoralisation: attack and magic down, and a
-- parting jab.
MonsterActions.Taunt = function(p, s, m)
  local v = pickVictim(p, s)
  local lines = {
    "says something unforgivable about " .. whose(v) .. " boots.",
    "points out that " .. who(v) .. " " .. verb(v, "fight", "fights") .. " like a filing error.",
    "laughs at " .. who(v) .. ", at length.",
    "explains, slowly, everything " .. who(v) .. " did wrong today.",
  }
  say(monsterName(m) .. " " .. pick(lines))
  weaken(v, "modAtk", 0.88, 0.6)
  weaken(v, "modMag", 0.88, 0.6)
  local lost = hurt(v, physical(m, v, 0.5))
  report("Attack and magic down. A cheap shot follows:", v, lost)
end

-- Goes for the sidekick with a heavy blow (or for you, if it is down).
MonsterActions.Ambush = function(p, s, m)
  local v = alive(s) and s or p
  local lost = hurt(v, physical(m, v, 1.15))
  report(monsterName(m) .. " springs out of nowhere:", v, lost)
end

-- Two or three quick hits at random victims.
MonsterActions.Frenzy = function(p, s, m)
  local hits = math.random(2, 3)
  say(monsterName(m) .. " goes into a frenzy!")
  for _ = 1, hits do
    local v = pickVictim(p, s)
    if not alive(v) then break end
    local lost = hurt(v, physical(m, v, hits == 2 and 0.5 or 0.38))
    report("  It strikes:", v, lost)
  end
end

-- Coils round the victim: a squeeze and speed down.
MonsterActions.Bind = function(p, s, m)
  local v = pickVictim(p, s)
  local lost = hurt(v, physical(m, v, 0.8))
  weaken(v, "modSpd", 0.85, 0.5)
  report(monsterName(m) .. " coils round and squeezes:", v, lost)
  say(Who(v) .. " can barely move: speed down.")
end

-- Undoes the last minute: HP back to where they were at its previous special
-- move (at most a quarter of its health per rewind).
local function rewind(m, cap)
  local before = Memory.rewindHP
  local now = m:get("HP")
  Memory.rewindHP = now
  if before and before > now then
    return healMonster(m, math.min(before - now, (cap or 0.25) * m:get("maxHP")))
  end
  return 0
end

MonsterActions.Rewind = function(p, s, m)
  local healed = rewind(m)
  if healed > 0 then
    say(monsterName(m) .. " runs backwards for a moment. " .. number(healed) .. " HP of damage un-happen.")
  else
    strike(p, s, m, 1.0, "remembers a minute worth keeping and hits you in it")
  end
end

---------------------------------------------------------------------------
-- Bosses: one trick each.
---------------------------------------------------------------------------

-- Queen Gnawbit whistles up her subjects: they nibble everyone and she eats
-- their offerings.
MonsterActions.RatSwarm = function(p, s, m)
  say(monsterName(m) .. " squeaks an order, and rats pour out of every crack!")
  for _, v in ipairs({ p, s }) do
    if alive(v) then
      report("  The rats bite:", v, hurt(v, physical(m, v, 0.5)))
    end
  end
  local healed = healMonster(m, 0.08 * m:get("maxHP"))
  if healed > 0 then say("  They bring their queen a snack. She recovers " .. number(healed) .. " HP.") end
end

-- Captain Hoarfrost's ice harpoon: a hard cold hit that pins the victim.
MonsterActions.Harpoon = function(p, s, m)
  local v = pickVictim(p, s)
  local lost = hurt(v, elemental(m, v, 1.2, "Ice"))
  weaken(v, "modSpd", 0.85, 0.5)
  report(monsterName(m) .. " fires a frozen harpoon:", v, lost)
  say(Who(v) .. " " .. verb(v, "are", "is") .. " pinned to the ice: speed down.")
end

-- The Head Gardener shakes hushbloom pollen over the party: it dulls speed and
-- magic, and the Gardener basks in it.
MonsterActions.Pollinate = function(p, s, m)
  say(monsterName(m) .. " shakes his bloom. A cloud of hushbloom pollen settles over everything.")
  for _, v in ipairs({ p, s }) do
    if alive(v) then
      report("  It chokes:", v, hurt(v, elemental(m, v, 0.55, "Ether")))
      weaken(v, "modMag", 0.9, 0.6)
      weaken(v, "modSpd", 0.9, 0.6)
    end
  end
  local healed = healMonster(m, 0.03 * m:get("maxHP"))
  say("  Your heads feel full of flowers: magic and speed down." ..
      (healed > 0 and (" He photosynthesises " .. number(healed) .. " HP.") or ""))
end

-- The Auditor fines the player: MP confiscated and a stamp of disapproval.
-- The stamp comes down on whoever stands nearest, sidekick included; when it
-- always found the player, the fight was decided by the potions in the
-- hero's pack and hardly at all by the party.
MonsterActions.Audit = function(p, s, m)
  local fine = math.floor(p:get("modMP") * 0.25 + 0.5)
  p:set("modMP", p:get("modMP") - fine)
  say(monsterName(m) .. " audits you and finds irregularities. You are fined " .. number(fine, CYAN) .. " MP.")
  local v = pickVictim(p, s)
  report("He stamps the nearest forehead. REJECTED:", v, hurt(v, elemental(m, v, 0.9, "Dark")))
end

-- Colonel Vell: sabre in one hand, sidearm in the other.
MonsterActions.DoubleTap = function(p, s, m)
  say(monsterName(m) .. " lunges with his sabre and fires his sidearm in the same breath.")
  local v = pickVictim(p, s)
  report("  The sabre:", v, hurt(v, physical(m, v, 0.7)))
  v = pickVictim(p, s)
  report("  The shot:", v, hurt(v, physical(m, v, 0.7)))
end

-- Forgemaster Brakka's molten hammer: fire damage and dented armour.
MonsterActions.MoltenHammer = function(p, s, m)
  local v = pickVictim(p, s)
  local lost = hurt(v, elemental(m, v, 1.2, "Fire"))
  for _, d in ipairs(DEFENCES) do weaken(v, d, 0.9, 0.5) end
  report(monsterName(m) .. " brings down her molten hammer:", v, lost)
  say(Whose(v) .. " armour glows, then sags: defences down.")
end

-- The Late Professor Quell fights from two moments at once: he rewinds a
-- little of his damage and strikes from the other moment.
MonsterActions.TimeSlip = function(p, s, m)
  local healed = rewind(m, 0.05)
  if healed > 0 then
    say(monsterName(m) .. " steps back to a moment ago, when he was " .. number(healed) .. " HP healthier.")
  else
    say(monsterName(m) .. " flickers between two moments.")
  end
  local v = pickVictim(p, s)
  report("  The other Quell strikes from behind:", v, hurt(v, physical(m, v, 0.8)))
end

-- The Eye Warden's stony gaze: a beam of old light that turns limbs to stone.
MonsterActions.Gaze = function(p, s, m)
  local v = pickVictim(p, s)
  local lost = hurt(v, elemental(m, v, 1.0, "Light"))
  weaken(v, "modSpd", 0.85, 0.5)
  report(monsterName(m) .. " turns its empty eye socket. A beam of old light:", v, lost)
  say(Whose(v) .. " limbs stiffen like stone: speed down.")
end

-- Lady Nightjar puts the lights out and drinks from the dark.
MonsterActions.Nightfall = function(p, s, m)
  say(monsterName(m) .. " spreads her cloak. Every light in the room goes out.")
  local total = 0
  for _, v in ipairs({ p, s }) do
    if alive(v) then
      local lost = hurt(v, elemental(m, v, 0.7, "Dark"))
      report("  Something in the dark bites:", v, lost)
      if lost > 0 then total = total + lost end
    end
  end
  local healed = healMonster(m, total * 0.5)
  if healed > 0 then say("  When the lights return she looks " .. number(healed) .. " HP fresher.") end
end

-- Boss Grimsby's cannon: devastating, and not entirely reliable.
MonsterActions.Cannonade = function(p, s, m)
  if chance(20) then
    local lost = math.floor(0.06 * m:get("maxHP"))
    m:set("HP", math.max(1, m:get("HP") - lost))
    say(monsterName(m) .. " lights his cannon. It backfires. He loses " .. number(lost, RED)
        .. " HP and all of his eyebrows.")
    return
  end
  local v = pickVictim(p, s)
  report(monsterName(m) .. " fires his counting-house cannon:", v,
         hurt(v, elemental(m, v, 1.4, "Fire")))
end

-- The Iron Bosun: repairs himself when battered, otherwise vents steam.
MonsterActions.Overdrive = function(p, s, m)
  if m:get("HP") < 0.5 * m:get("maxHP") and (Memory.bosunRepairs or 0) < 3 then
    Memory.bosunRepairs = (Memory.bosunRepairs or 0) + 1
    local healed = healMonster(m, 0.12 * m:get("maxHP"))
    for _, d in ipairs({ "lowDef", "midDef", "hiDef" }) do strengthen(m, d, 1.1, 1.3) end
    say(monsterName(m) .. " tightens his own bolts with the wrench: " .. number(healed)
        .. " HP repaired, armour up.")
    return
  end
  say(monsterName(m) .. " opens every valve at once. Scalding steam fills the gallery!")
  for _, v in ipairs({ p, s }) do
    if alive(v) then report("  The steam scalds:", v, hurt(v, elemental(m, v, 0.75, "Fire"))) end
  end
end

-- Admiral Morwen Kesh: a commander with a plan for every moment.
MonsterActions.Broadside = function(p, s, m)
  -- The Last Word: when you are nearly finished, she finishes it.
  if p:get("modHP") < 0.3 * p:get("modMaxHP") and chance(60) then
    report(monsterName(m) .. " says quietly, \"This is where you stop.\" " .. YELLOW .. "Last Word" .. WHITE
           .. " falls:", p, hurt(p, physical(m, p, 1.5)))
    return
  end
  local roll = math.random(100)
  if roll <= 35 then
    say(monsterName(m) .. " raises a hand. The gun deck behind her fires a broadside!")
    for _, v in ipairs({ p, s }) do
      if alive(v) then report("  The broadside:", v, hurt(v, physical(m, v, 0.8))) end
    end
  elseif roll <= 60 and (Memory.admiralRallies or 0) < 2 then
    Memory.admiralRallies = (Memory.admiralRallies or 0) + 1
    local healed = healMonster(m, 0.1 * m:get("maxHP"))
    strengthen(m, "atk", 1.1, 1.25)
    say(monsterName(m) .. " rallies her crew with a speech about the good old days. She recovers "
        .. number(healed) .. " HP and her attack rises.")
  elseif roll <= 80 then
    weaken(p, "modAtk", 0.9, 0.6)
    weaken(p, "modSpd", 0.9, 0.6)
    say(monsterName(m) .. " reads your next move before you have made it: your attack and speed drop.")
    report("  She answers it with her cutlass:", p, hurt(p, physical(m, p, 0.6)))
  else
    local v = alive(s) and s or p
    report(monsterName(m) .. " sends two boarders over the rail:", v,
           hurt(v, physical(m, v, 1.2)))
  end
end

---------------------------------------------------------------------------
-- The entry point the game calls.
---------------------------------------------------------------------------

function MonsterAI(player, sidekick, monster)
  local p = wrap(player, PLAYER_FIELDS)
  local s = wrap(sidekick, PLAYER_FIELDS)
  local m = wrap(monster, MONSTER_FIELDS)
  if not (p and s and m) then return player, sidekick, monster, 0 end
  p.isPlayer = true
  local action = MonsterActions[m:get("mtype")]
  if not action then return player, sidekick, monster, 0 end
  local ok, err = pcall(action, p, s, m)
  if not ok then
    -- A broken move changes nothing; the message is kept for whoever is
    -- modding this file.
    LastScriptError = err
    return player, sidekick, monster, 0
  end
  return p:text(), s:text(), m:text(), 0
end
