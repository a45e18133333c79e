--[[
  spell_cast.lua -- the extra tricks of Orvantis spells.

  A spell whose "Script:" line in gamedata/spells/spells.txt names something
  other than None is handed to SpellCast before the game applies the spell's
  own power and takes its MP cost. SpellCast looks the name up in the table
  SpellEffects below and runs that effect. A name that is not in the table
  does nothing at all.

  Every effect is a function(player, sidekick, monster, spell, caster)
  returning player, sidekick, monster. The first four are records: strings of
  fields "|NUM|name|value|" or "|STR|name|text|" one after another; caster is
  1 when the player casts and 2 when the sidekick does. The game reads the
  returned records back BY POSITION, so they keep every field, in order.

  Player and sidekick records (32 fields):
    HP maxHP MP maxMP  modHP modMaxHP modMP modMaxMP
    lv spd atk mag lowDef midDef hiDef
    modSpd modAtk modMag modLowDef modMidDef modHiDef
    fire ice light dark normal  modFire modIce modLight modDark modNormal
    name
  Only the "mod" values are touched here: they are what counts in battle
  (modHP is the current HP), and apart from HP and MP they go back to normal
  when the battle ends. The plain values are the permanent build.
  Resistances are damage multipliers: 1 = full damage, 0.5 = half.

  Monster record (18 fields):
    HP maxHP MP maxMP  lv spd atk mag lowDef midDef hiDef
    fire ice light dark normal  mtype name
  The monster only lives for this battle, so its values can be changed
  directly.

  Spell record (7 fields): level power MPCost battleOnly element target script

  When the player casts a scripted spell the game tells nothing of it, so each
  effect says what happened with DisplayAddMessage.

  Writing your own: add
      SpellEffects.MyTrick = effect(function(c) ... end)
  and put "Script: MyTrick" on a spell. Inside, c.me is the caster, c.mate the
  other party member, c.p / c.s / c.m the player, sidekick and monster (all
  with get and set), c.mag the caster's magic and c.rank the spell's level.
  Each battle loads this file afresh, so Memory lasts exactly one fight.
--]]

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
local SPELL_FIELDS = { "level", "power", "MPCost", "battleOnly", "element", "target", "script" }

---------------------------------------------------------------------------
-- Records
---------------------------------------------------------------------------

-- parse(record) -> ordered list of {tag, name, value} (a number for NUM
-- fields, text for STR fields), or nil when the text is not a record.
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

-- Numbers go back in the plain style the game writes them.
local function formatNumber(v)
  if v ~= v or v == math.huge or v == -math.huge then return "0" end
  if v == math.floor(v) and math.abs(v) < 1e15 then return string.format("%d", v) end
  return string.format("%.6g", v)
end

-- build(list) -> record string, same fields in the same order. Untouched
-- fields are written back exactly as they came in.
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
  return self.list[self.index[name]].value
end

function Record:set(name, value)
  local f = self.list[self.index[name]]
  if f.tag == "NUM" and value ~= value then value = 0 end
  f.value = value
  f.changed = true
end

function Record:text()
  return build(self.list)
end

---------------------------------------------------------------------------
-- Helpers
---------------------------------------------------------------------------

Memory = Memory or {}

local function say(text)
  if DisplayAddMessage then DisplayAddMessage(text) end
end

local function number(n, colour)
  return (colour or GREEN) .. formatNumber(math.floor(n + 0.5)) .. WHITE
end

local function spellName(text, colour)
  return (colour or CYAN) .. text .. WHITE
end

-- "You" / the sidekick's name, as the subject of a sentence.
local function Who(r)
  if r.isPlayer then return YELLOW .. "You" .. WHITE end
  return YELLOW .. r:get("name") .. WHITE
end

local function whose(r)
  if r.isPlayer then return YELLOW .. "your" .. WHITE end
  return YELLOW .. r:get("name") .. "'s" .. WHITE
end

local function Whose(r)
  if r.isPlayer then return YELLOW .. "Your" .. WHITE end
  return whose(r)
end

local function monsterName(m)
  return "the " .. MAGENTA .. m:get("name") .. WHITE
end

local function MonsterName(m)
  return "The " .. MAGENTA .. m:get("name") .. WHITE
end

-- "N damage on the monster", or how much it healed instead.
local function damageText(m, lost)
  if lost >= 0 then return number(lost, RED) .. " damage on " .. monsterName(m) end
  return "nothing but a tickle: " .. monsterName(m) .. " heals " .. number(-lost) .. " HP"
end

local function alive(r)
  return r:get("modHP") > 0
end

-- The first value of a stat that this battle's spells saw: buffs are capped
-- against it, and the cleansing light restores lowered stats up to it.
local function firstSeen(key, value)
  Memory.first = Memory.first or {}
  if Memory.first[key] == nil then Memory.first[key] = value end
  return Memory.first[key]
end

local RESISTANCES = { modFire = true, modIce = true, modLight = true, modDark = true, modNormal = true }

local PARTY_STATS = { "modSpd", "modAtk", "modMag", "modLowDef", "modMidDef", "modHiDef",
                      "modFire", "modIce", "modLight", "modDark", "modNormal" }

local function remember(c)
  for _, r in ipairs({ c.p, c.s }) do
    for _, stat in ipairs(PARTY_STATS) do firstSeen(r.key .. stat, r:get(stat)) end
  end
  for _, stat in ipairs({ "spd", "atk", "lowDef", "midDef", "hiDef" }) do
    firstSeen("monster:" .. stat, c.m:get(stat))
  end
end

-- Raises a party member's stat by `amount`, but never past `capShare` times
-- its value when the battle's first spell was cast. Returns the gain.
local function raise(r, stat, amount, capShare)
  local now = r:get(stat)
  local first = firstSeen(r.key .. stat, now)
  local new = math.min(now + amount, math.max(first, 1) * capShare)
  if new < now then new = now end
  r:set(stat, new)
  return new - now
end

-- Lowers a monster stat by a factor, never below `floorShare` of its value
-- at the start (and never below `least`). Returns the loss.
local function lower(m, stat, factor, floorShare, least)
  local now = m:get(stat)
  local first = firstSeen("monster:" .. stat, now)
  local new = math.max(now * factor, first * floorShare, least or 0)
  if new > now then new = now end
  m:set(stat, new)
  return now - new
end

local function heal(r, amount)
  local hp, top = r:get("modHP"), r:get("modMaxHP")
  local new = math.min(top, hp + math.max(0, amount))
  if new < hp then new = hp end
  r:set("modHP", new)
  return new - hp
end

-- Damages the monster by `amount` (negative heals it), HP kept in 0..max.
-- Returns the HP it lost (negative when healed).
local function hurtMonster(m, amount)
  local hp, top = m:get("HP"), m:get("maxHP")
  local new = hp - amount
  if new > top then new = math.max(hp, top) end
  if new < 0 then new = 0 end
  m:set("HP", new)
  return hp - new
end

-- effect(fn) turns fn(c) into a SpellEffects entry working on records. If a
-- record cannot be read, or fn fails, the records go back untouched.
function effect(fn)
  return function(player, sidekick, monster, spell, caster)
    local p = wrap(player, PLAYER_FIELDS)
    local s = wrap(sidekick, PLAYER_FIELDS)
    local m = wrap(monster, MONSTER_FIELDS)
    local sp = wrap(spell, SPELL_FIELDS)
    if not (p and s and m and sp) then return player, sidekick, monster end
    p.isPlayer, p.key, s.key = true, "player:", "sidekick:"
    local c = { p = p, s = s, m = m, spell = sp }
    if tonumber(caster) == 2 then
      c.me, c.mate = s, p
    else
      c.me, c.mate = p, s
    end
    c.mag = math.max(0, c.me:get("modMag"))
    c.rank = math.max(1, sp:get("level"))
    c.cost = math.max(0, sp:get("MPCost"))
    local ok, err = pcall(function()
      remember(c)
      fn(c)
    end)
    if not ok then
      -- A broken effect changes nothing; the message is kept for whoever is
      -- modding this file.
      LastScriptError = err
      return player, sidekick, monster
    end
    return p:text(), s:text(), m:text()
  end
end

---------------------------------------------------------------------------
-- The effects. Keys are the "Script:" names used in spells.txt.
---------------------------------------------------------------------------

SpellEffects = {}

-- War Chant: the caster's attack goes up by a fifth (and a bit more for the
-- musical), up to half again its starting value.
SpellEffects.WarChant = effect(function(c)
  local gain = raise(c.me, "modAtk", 0.2 * c.me:get("modAtk") + 0.1 * c.mag, 1.5)
  if gain > 0 then
    if c.me.isPlayer then
      say("Your blood sings a " .. spellName("War Chant", RED) .. ": attack up by " .. number(gain) .. "!")
    else
      say(Who(c.me) .. " hums a " .. spellName("War Chant", RED) .. ", off-key. Attack up by " .. number(gain) .. "!")
    end
  else
    say(Who(c.me) .. " chant" .. (c.me.isPlayer and "" or "s") .. " louder, but that is as fired up as anyone gets.")
  end
end)

-- Red Mist: once per battle, attack half again, every defence down by a
-- third. Glorious, and a little stupid.
SpellEffects.RedMist = effect(function(c)
  Memory.redMist = Memory.redMist or {}
  if Memory.redMist[c.me.key] then
    say(Who(c.me) .. " " .. (c.me.isPlayer and "are" or "is") .. " already seeing red. It cannot get any redder.")
    return
  end
  Memory.redMist[c.me.key] = true
  local atk = c.me:get("modAtk")
  c.me:set("modAtk", atk * 1.5)
  for _, d in ipairs({ "modLowDef", "modMidDef", "modHiDef" }) do
    c.me:set(d, c.me:get(d) * 0.67)
  end
  say(spellName("Red Mist", RED) .. " descends. " .. Whose(c.me) .. " attack rises by " .. number(atk * 0.5)
      .. ", and all sense of self-preservation leaves: defences down.")
end)

-- Frostbind: ice round the monster's joints. Speed down by a quarter and
-- attack down a little (to 40% and 70% of normal at most).
SpellEffects.Frostbind = effect(function(c)
  local slowed = lower(c.m, "spd", 0.75, 0.4, 1)
  local weaker = lower(c.m, "atk", 0.9, 0.7, 1)
  if slowed + weaker > 0 then
    say(spellName("Frostbind") .. " freezes " .. monsterName(c.m) .. " at the joints: speed down by "
        .. number(slowed) .. ", attack down by " .. number(weaker) .. ".")
  else
    say(MonsterName(c.m) .. " is already as stiff as an ice lolly. The frost has no more to give.")
  end
end)

-- Rime Armour: a coat of hard frost on everyone still standing. Each defence
-- up by a tenth plus some magic, up to 60% above normal.
SpellEffects.RimeArmour = effect(function(c)
  local told = false
  for _, r in ipairs({ c.p, c.s }) do
    if alive(r) then
      local gain = 0
      for _, d in ipairs({ "modLowDef", "modMidDef", "modHiDef" }) do
        gain = gain + raise(r, d, 0.1 * r:get(d) + 0.15 * c.mag, 1.6)
      end
      if gain > 0 then
        say(spellName("Rime Armour") .. " frosts over " .. whose(r) .. " armour: defences up by "
            .. number(gain / 3) .. ".")
        told = true
      end
    end
  end
  if not told then say("The frost slides off. Nobody's armour can get any thicker today.") end
end)

-- Sunder: cracks the monster's armour. Every defence down by a quarter, to no
-- less than 30% of what it started with.
SpellEffects.Sunder = effect(function(c)
  local lost = 0
  for _, d in ipairs({ "lowDef", "midDef", "hiDef" }) do
    lost = lost + lower(c.m, d, 0.75, 0.3, 10)
  end
  if lost > 0 then
    say(spellName("Sunder", MAGENTA) .. " cracks " .. monsterName(c.m) .. "'s armour like an egg. Defences down by "
        .. number(lost / 3) .. ".")
  else
    say("There is nothing left of " .. monsterName(c.m) .. "'s armour to crack.")
  end
end)

-- Bloodleech: dark damage (1.6 x magic, times the monster's dark resistance);
-- half of what it takes heals the caster.
SpellEffects.Bloodleech = effect(function(c)
  local damage = 1.6 * c.mag * c.m:get("dark")
  local lost = hurtMonster(c.m, math.floor(damage + 0.5))
  if lost > 0 then
    local healed = heal(c.me, lost * 0.5)
    say(spellName("Bloodleech", MAGENTA) .. " drinks " .. number(lost, RED) .. " HP from " .. monsterName(c.m)
        .. " and gives " .. number(healed) .. " of it to " .. (c.me.isPlayer and "you" or Who(c.me)) .. ".")
  elseif lost < 0 then
    say(MonsterName(c.m) .. " likes the taste of the dark: it heals " .. number(-lost) .. " HP.")
  else
    say(spellName("Bloodleech", MAGENTA) .. " finds nothing to drink in " .. monsterName(c.m) .. ".")
  end
end)

-- Aegis Field: a shimmering bubble round the party; damage from every element
-- down by a quarter (to no less than a quarter of normal).
SpellEffects.AegisField = effect(function(c)
  local told = false
  for _, r in ipairs({ c.p, c.s }) do
    if alive(r) then
      local changed = false
      for _, e in ipairs({ "modFire", "modIce", "modLight", "modDark", "modNormal" }) do
        local now = r:get(e)
        if now > 0.25 then
          r:set(e, math.max(0.25, now * 0.75))
          changed = true
        end
      end
      if changed then
        say(spellName("Aegis Field", YELLOW) .. " shimmers round " .. (r.isPlayer and "you" or Who(r))
            .. ": elemental harm down.")
        told = true
      end
    end
  end
  if not told then say("The field flickers. It cannot get any thicker.") end
end)

-- Cleansing Light: washes off curses, slows, taunts and all the rest: every
-- battle stat that was lowered comes back up to normal, and both of you are
-- healed a little.
SpellEffects.CleansingLight = effect(function(c)
  for _, r in ipairs({ c.p, c.s }) do
    if alive(r) then
      local fixed = 0
      for _, stat in ipairs(PARTY_STATS) do
        local base = r:get(string.lower(stat:sub(4, 4)) .. stat:sub(5))
        local usual = firstSeen(r.key .. stat, r:get(stat))
        local now = r:get(stat)
        if RESISTANCES[stat] then
          -- For resistances lower is better: undo anything that made them worse.
          if now > usual then r:set(stat, usual); fixed = fixed + 1 end
        else
          local target = math.max(base, usual)
          if now < target then r:set(stat, target); fixed = fixed + 1 end
        end
      end
      local healed = heal(r, c.mag)
      say(spellName("Cleansing Light", YELLOW) .. " washes over " .. (r.isPlayer and "you" or Who(r)) .. ": "
          .. (fixed > 0 and "weakness lifted, " or "") .. number(healed) .. " HP restored.")
    end
  end
end)

-- Quicksilver: the caster's speed up by a quarter plus some magic, up to
-- double the starting value.
SpellEffects.Quicksilver = effect(function(c)
  local gain = raise(c.me, "modSpd", 0.25 * c.me:get("modSpd") + 0.1 * c.mag, 2)
  if gain > 0 then
    say(spellName("Quicksilver", GREEN) .. " runs through " .. whose(c.me) .. " veins: speed up by "
        .. number(gain) .. "!")
  else
    say(Who(c.me) .. " could not go any faster without leaving " .. (c.me.isPlayer and "your" or "its")
        .. " boots behind.")
  end
end)

-- Still Mind: a moment of calm to win back MP. The spell's own cost is
-- taken after this, so the message reports what is really gained.
SpellEffects.StillMind = effect(function(c)
  local mp, top = c.me:get("modMP"), c.me:get("modMaxMP")
  local new = math.min(top, mp + 15 + 0.6 * c.mag)
  if new < mp then new = mp end
  c.me:set("modMP", new)
  local net = new - c.cost - mp
  if net > 0 then
    say(Who(c.me) .. " breathe" .. (c.me.isPlayer and "" or "s") .. " out slowly. " .. spellName("Still Mind", GREEN)
        .. " restores " .. number(net, CYAN) .. " MP.")
  else
    say(Who(c.me) .. " breathe" .. (c.me.isPlayer and "" or "s") .. " out slowly, but "
        .. (c.me.isPlayer and "your" or "its") .. " mind was already full. The calm costs more than it brings.")
  end
end)

-- Double or Nothing: the universe flips a coin. Most of the time it pays
-- (3.4 x magic ether damage); sometimes nothing; sometimes it bites back;
-- once in a while, jackpot.
SpellEffects.DoubleOrNothing = effect(function(c)
  local roll = math.random(100)
  local resist = c.m:get("normal")
  if roll <= 45 then
    local lost = hurtMonster(c.m, math.floor(3.4 * c.mag * resist + 0.5))
    say("Heads! " .. spellName("Double or Nothing", GREEN) .. " pays out " .. damageText(c.m, lost) .. ".")
  elseif roll <= 70 then
    say("The coin lands on its edge. " .. spellName("Double or Nothing", GREEN) .. " does nothing. Nothing at all.")
  elseif roll <= 85 then
    local hp = c.me:get("modHP")
    local hurt = math.min(math.floor(0.12 * c.me:get("modMaxHP") + 0.5), math.max(0, hp - 1))
    c.me:set("modHP", hp - hurt)
    say("Tails. The coin bounces off " .. monsterName(c.m) .. " and hits " .. (c.me.isPlayer and "you" or Who(c.me))
        .. " on the nose for " .. number(hurt, RED) .. " damage.")
  else
    local lost = hurtMonster(c.m, math.floor(2 * c.mag * resist + 0.5))
    local a = heal(c.p, 0.2 * c.p:get("modMaxHP"))
    local b = alive(c.s) and heal(c.s, 0.2 * c.s:get("modMaxHP")) or 0
    say("JACKPOT! " .. damageText(c.m, lost) .. ", and the winnings heal you "
        .. number(a) .. " HP" .. (b > 0 and (" and " .. Who(c.s) .. " " .. number(b) .. " HP") or "") .. ".")
  end
end)

-- Pep Talk: the player tells the sidekick it is doing great (attack and speed
-- up). If the sidekick casts it, it tells the player instead, with less
-- effect and more confusion.
SpellEffects.PepTalk = effect(function(c)
  if c.me.isPlayer then
    if not alive(c.s) then
      say(Who(c.s) .. " is unconscious and, for once, a very good listener. Nothing else happens.")
      return
    end
    local a = raise(c.s, "modAtk", 0.15 * c.s:get("modAtk") + 0.1 * c.mag, 1.45)
    local b = raise(c.s, "modSpd", 0.1 * c.s:get("modSpd") + 0.05 * c.mag, 1.3)
    if a + b > 0 then
      say("You tell " .. Who(c.s) .. " it is doing great. It is not, but it believes you: attack up by "
          .. number(a) .. ", speed up by " .. number(b) .. ".")
    else
      say("You tell " .. Who(c.s) .. " it is doing great. It already knew. It keeps telling you so.")
    end
  else
    local a = raise(c.p, "modAtk", 0.1 * c.p:get("modAtk") + 0.05 * c.mag, 1.3)
    say(Who(c.s) .. " tells you that you are doing great and should keep hitting the thing. Attack up by "
        .. number(a) .. ".")
  end
end)

---------------------------------------------------------------------------
-- The entry point the game calls.
---------------------------------------------------------------------------

function SpellCast(player, sidekick, monster, spell, caster)
  local sp = parse(spell)
  local hook = sp and sp[7] and sp[7].value
  local fn = hook and SpellEffects[hook]
  if type(fn) ~= "function" then return player, sidekick, monster end
  local ok, p, s, m = pcall(fn, player, sidekick, monster, spell, caster)
  if not ok or type(p) ~= "string" or type(s) ~= "string" or type(m) ~= "string" then
    return player, sidekick, monster
  end
  return p, s, m
end
