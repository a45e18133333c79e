#!/usr/bin/env python3
"""Writes the item files of Orvantis (gamedata/items/*.txt) from the tables below.

The item reader is strict: records are found by skipping to the next "_",
values by skipping to the next ":", each skip at most 256 characters, and the
prefix and suffix sections are found by seeking to fixed fractions of the file
length.  This tool lays the files out to those rules and then reads them back
the way the game does, failing loudly on any mistake.

    python3 tools/make_items.py          write and check all eleven files
    python3 tools/make_items.py --check  only check the files already written
"""

import math
import os
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
ITEM_DIR = os.path.join(ROOT, "gamedata", "items")

# Equipment climbs three levels a step early on, four later; consumables a bit
# faster.  Quest rewards named in the campaign sit on these levels.
EQUIPMENT_LEVELS = [1, 3, 6, 9, 12, 15, 18, 21, 24, 27, 30, 33, 36, 39, 42, 45, 48, 51,
                    54, 57, 60, 63, 66, 69, 72, 75, 78, 81, 84, 87, 90, 94, 98, 102, 106, 110]
CONSUMABLE_LEVELS = [1, 4, 7, 10, 13, 16, 20, 24, 28, 32, 36, 40, 45, 50, 55, 60, 66,
                     72, 78, 84, 90, 96, 101, 106, 112]
# Affix sections reach past every base level, so a level search never runs
# out of its own section into the next one.
AFFIX_LEVELS = [1, 6, 12, 19, 27, 35, 44, 53, 62, 72, 82, 92, 104, 120]


def near(x):
    return int(x + 0.5)


# Statistic curves by level; the game multiplies each by about two.
def boots_stats(level):
    return [("Speed", near(level * 0.3 + 1)), ("LowDef", near(level * 0.5 + 2))]


def shield_stats(level):
    return [("MidDef", near(level * 0.7 + 3))]


def headgear_stats(level):
    return [("HighDef", near(level * 0.6 + 2))]


def gun_stats(level):  # guns also give speed, a quarter of the attack
    return [("Attack", near(level * 0.8 + 2))]


def sword_stats(level):
    return [("Attack", near(level * 0.9 + 3))]


def staff_stats(level):  # staffs also give magic, a quarter of the attack
    return [("Attack", near(level * 0.65 + 2))]


def no_stats(level):  # consumables restore amounts that follow from the level
    return []


BOOTS = [
    ("Work Boots", "Steel toes, soft heels, and one lace shared between them."),
    ("Flip-Flops", "Slap slap slap. Every monster in the mine knows you are coming."),
    ("Hobnail Boots", "Nails in the soles. Also, it turns out, in the insoles."),
    ("Miner's Clogs", "Carved from a pit prop. Previous owner's name scratched inside."),
    ("Thermal Mukluks", "Three layers of fur and a fourth of optimism."),
    ("Snowshoes", "Big as tennis rackets. You walk on ice and trip on everything else."),
    ("Vinegrip Boots", "Grown, not stitched. They sometimes try to take root."),
    ("Canopy Sandals", "For rope bridges a mile up. Do not look down, or at your toes."),
    ("Bog Waders", "Waterproof up to the armpits. The smell goes higher."),
    ("Clerk's Brogues", "Polished to regulation shine and stamped APPROVED on each heel."),
    ("Queue Slippers", "Made for standing in line on Guelf for a week. Or a year."),
    ("Parade Boots", "Gleaming, stiff, and made for marching in circles."),
    ("Jump Boots", "Spring-loaded soles. Ceilings are now your natural enemy."),
    ("Mag-Lock Boots", "Stick to any hull. Also to fridges, forks and your sidekick."),
    ("Slagstompers", "Refinery boots with soles of cooled slag. Loud, hot, proud."),
    ("Cinder Treads", "Rated to walk on embers for about as long as you would want to."),
    ("Heatproof Greaves", "Harriet swears they melt last. She has never been wrong twice."),
    ("Tick-Tock Shoes", "Every step makes a small ticking noise, slightly ahead of time."),
    ("Backstep Boots", "Chronolite heels. You are often back where you were a moment ago."),
    ("Sandskimmers", "Broad desert soles that glide where other boots sink."),
    ("Dune Striders", "Woven by pilgrims who walked to the Eye and back. Twice."),
    ("Pilgrim Sandals", "Blessed at the temple, sold at the bazaar, receipt included."),
    ("Colonist's Galoshes", "Found in a Lumen colony locker. Still waiting for their owner."),
    ("Ghostwalkers", "Soundless soles. Even the dead of Zivar do not hear you coming."),
    ("Quiet Treads", "Felt-lined boots for walking through a memorial without a word."),
    ("Gravity Boots", "Pick your own down. Try not to pick it mid-battle."),
    ("Cat Burglar Socks", "Silent, grippy, and sold in Lanternside by the odd one."),
    ("Rocket Skates", "Twin thrusters and no brakes. The brakes cost extra."),
    ("Smuggler Boots", "Hollow heels, false soles, and a third boot nobody mentions."),
    ("Boarding Boots", "Magnetic toes and spiked heels for coming aboard uninvited."),
    ("Seadog Boots", "Pirate boots, salted by forty years of spilled grog."),
    ("Pulse Jumpers", "Each step fires a small shockwave. Neighbours complain."),
    ("Warpstep Boots", "A half-second hop through folded space with every stride."),
    ("Void Striders", "Walk on nothing. Just do not ask what nothing thinks of it."),
    ("Comet Heels", "They leave a glowing tail behind. Stylish, and hard to hide."),
    ("Starstrider Boots", "Boots that walked between the stars when the stars were young."),
]

SHIELDS = [
    ("Pot Lid", "Still smells of last week's beans. The handle wobbles."),
    ("Hubcap", "Fell off an ore truck. It is yours now, legally speaking."),
    ("Ore Cart Door", "Heavy, rusty, and on one hinge, much like the mine."),
    ("Scrap Buckler", "Welded together from bits of other, better shields."),
    ("Whalebone Targe", "Carved from a space-whale rib by a retired whaler with time."),
    ("Frozen Hatch", "Pried off the Icebreaker. Still cold. Always cold."),
    ("Bark Buckler", "Grown, not forged, and polite to plants, just in case."),
    ("Giant Lily Pad", "Waxy, springy and home to at least one angry tree frog."),
    ("Clipboard", "Holds Form 27-B in place and deflects blows. Barely."),
    ("Cabinet Door", "Taken from a drowned filing cabinet. Drawers not included."),
    ("Approved Shield", "Comes with its own permit, which must be worn on the front."),
    ("Riot Shield", "Space Forces issue. Says POLICE on it, which nobody believes."),
    ("Surplus Kite Shield", "Military surplus, slightly used, lightly haunted."),
    ("Fleet Pavise", "A tall navy shield with a parade crest, a serial number and a dent."),
    ("Slag Plate", "Hammered out of refinery offcuts while still warm."),
    ("Crucible Lid", "The lid of a furnace that nobody has switched off in a century."),
    ("Blast Door", "A small one. You carry it. It mostly carries you."),
    ("Clockface Buckler", "Both hands point at you. Always a little early."),
    ("Echo Ward", "Blocks blows a moment before they land, then again after."),
    ("Pendulum Shield", "Swings back and forth on its own and is rarely in the wrong place."),
    ("Sandstone Tablet", "Carved with laws nobody can read. Heavy as any law."),
    ("Temple Door", "A door of the Sunken Reliquary. The temple would like it back."),
    ("Reliquary Lid", "Ancient, holy and slightly dusty. The relic inside is missing."),
    ("Colony Hatch", "The airlock hatch of a Lumen colony. It still has a nameplate."),
    ("Memorial Plaque", "Lists the lost of Colony JX6. Lets no one else join them."),
    ("Ghostglass Wall", "A pane of pale glass with a face in it. The face helps."),
    ("Fake Vault Door", "A forgery of a vault door. The blows do not know that."),
    ("Strongbox Lid", "Off a fence's strongbox. The lock still holds a grudge."),
    ("Lantern Screen", "A folding screen of paper lanterns. Do not ask how it works."),
    ("Hull Plate", "A square yard of pirate warship, rivets and all."),
    ("Gun Deck Mantlet", "Stops cannonballs. Stopped them for forty years, in fact."),
    ("Deflector Dish", "Bends incoming fire politely around you."),
    ("Force Wall", "A slab of humming force. Hums louder when struck."),
    ("Graviton Screen", "Bullets fall out of the air in front of it and sulk."),
    ("Starshield", "Forged from a meteor. Still a little warm from the fall."),
    ("Aegis Array", "A ring of floating plates that argue over who blocks first."),
]

HEADGEAR = [
    ("Paper Hat", "Folded from a HELP WANTED sign. Keeps off neither rain nor rocks."),
    ("Hardhat", "Dunmore Kettle's spare. He was not impressed to hand it over."),
    ("Miner's Lamp", "A lamp on a strap. Makes you the brightest target in the mine."),
    ("Bobble Hat", "Knitted by the Glimmerholm choir between verses about the cold."),
    ("Earmuffs", "Keep out the cold, the wind, and most of what your sidekick says."),
    ("Fur Ushanka", "Flaps down for blizzards, flaps up for dignity."),
    ("Sun Hat", "A pirate gardener wore it. Wide brim, deep pockets, one snail."),
    ("Bug Net Veil", "Stops nine mosquitoes in ten. The tenth is very proud."),
    ("Clerk's Visor", "A green eyeshade for reading forms in triplicate."),
    ("Judge's Wig", "Powdered, curled, and legally binding."),
    ("Official Cap", "Makes people form a queue behind you without being asked."),
    ("Parade Shako", "A tall plume for a tall soldier. You are neither."),
    ("Flight Visor", "Tinted, scratched, and certified for all but the best pilots."),
    ("Officer's Helm", "Brass trim, chin strap, and the confidence of rank."),
    ("Welding Mask", "See nothing, fear nothing, weld everything."),
    ("Furnace Helm", "A refinery helmet with a built-in fan that blows hot air."),
    ("Gas Mask", "Filters sulphur, smoke and most of the smell of Cinderport."),
    ("Chronometer Cap", "Three clocks on the brim. None of them agree."),
    ("Yesterday's Helm", "You will have bought it tomorrow. It fits perfectly."),
    ("Hourglass Helm", "The sand runs up. Nobody at Halfpast finds that odd."),
    ("Pilgrim Hood", "Keeps off the desert sun. Smells of incense and souvenirs."),
    ("Sand Veil", "A veil that lets in air and keeps out most of the desert."),
    ("Keeper Circlet", "A temple keeper's band of white gold. It sees things."),
    ("Colonist's Helmet", "From the dead colony of JX6. The lamp still flickers on."),
    ("Mourning Veil", "Black lace. Lady Nightjar wore one just like it."),
    ("Lumen Halo", "A ring of pale light that remembers the lost colonies."),
    ("Gambler's Visor", "Hides your eyes, your tells, and your debts."),
    ("Pickpocket's Hood", "Deep hood, deeper pockets. Sewn inside, a receipt."),
    ("Fence's Top Hat", "Tall enough to hide a stolen vase. Has done so."),
    ("Tricorn", "The proper pirate hat. Comes with a free swagger."),
    ("Bosun's Helm", "A brass diving helmet welded to a cannon mount."),
    ("Psi Helmet", "Blocks mind control. Also blocks most good ideas."),
    ("Quantum Helm", "Both on and off your head until someone checks."),
    ("Nebula Hood", "Woven from nebula gas. Colder than it looks."),
    ("Nova Diadem", "A tiny star set in a band. Do not look straight at it."),
    ("Crown of Stars", "Worn by the first settlers of Aleph. Or so says the gift shop."),
]

GUNS = [
    ("Rivet Pistol", "Fires rivets. Builds things, sometimes on purpose."),
    ("Nail Gun", "Tools that were never meant to be weapons. This one was."),
    ("Drill Pistol", "A hand drill with a trigger and a bad attitude."),
    ("Flare Gun", "Lights up the tunnel, the monster, and often your hair."),
    ("Harpoon Gun", "For space-whales, snow pirates, and the odd difficult fish."),
    ("Snowball Mortar", "Packs snow tight and lobs it hard. Do not eat the ammunition."),
    ("Blowgun", "Tribal craftsmanship, modern darts. Do not inhale."),
    ("Vine Rifle", "A very large rifle made for very large problem vines."),
    ("Staple Gun", "Attaches forms to things. Things include enemies."),
    ("Bog Musket", "Fires damp powder most of the time, and mud the rest."),
    ("Confetti Cannon", "For celebrating approvals. Loaded with shredded rejections."),
    ("Service Pistol", "Standard issue, with a proper serial number. Stolen once."),
    ("Parade Rifle", "Polished to a mirror shine. Shoots, when it has to."),
    ("Officer's Sidearm", "Carried by officers who never expect to draw it."),
    ("Slag Thrower", "Spits molten slag. Keep your toes out of the way."),
    ("Plasma Welder", "A welding torch with ambitions. Welds things to the floor."),
    ("Magma Gun", "A pressurised canister of company lava. Scrip not accepted."),
    ("Pulse Carbine", "A compact energy rifle for people who fire often and early."),
    ("Echo Repeater", "Every shot is fired twice, once a second later."),
    ("Time-Lag Pistol", "The bullet arrives before you pull the trigger. Usually."),
    ("Antique Blunderbuss", "Of great antiquity, made last week."),
    ("Sunbeam Rifle", "Focuses Aleph's sunlight into a line of pure noon."),
    ("Sandstorm Scattergun", "Fires a cloud of scouring sand. Cleans armour, and its owner."),
    ("Ghostlight Pistol", "Shoots cold green light. The dead of Zivar stand back from it."),
    ("Colony Rifle", "A Lumen colony's rifle for pests. The pests have grown since."),
    ("Wraith Rifle", "Silent, pale and eerily accurate in the dark."),
    ("Sharp's Derringer", "A card sharp's last ace. Fits up a sleeve."),
    ("Bounty Rifle", "Comes with a badly drawn poster and a very good scope."),
    ("Hand Cannon", "A cannon with a handle, for fences with a lot to count."),
    ("Blunderbuss", "Fires anything you pour into it, mostly in the right direction."),
    ("Broadside Pistol", "Six barrels side by side, all of them fired at once."),
    ("Railgun", "Flings a slug of iron at a fraction of the speed of light."),
    ("Ion Repeater", "Fires ion bolts faster than your enemy can complain."),
    ("Antimatter Rifle", "Small magazine, very large consequences."),
    ("Quasar Blaster", "Fires light that set out a billion years ago."),
    ("Nova Cannon", "Fires a small sun. Please stand well back."),
]

SWORDS = [
    ("Rusty Cutlass", "Older than you, sharper than your sidekick. Barely."),
    ("Pickaxe Handle", "The pickaxe has gone; the handle remains, and it is angry."),
    ("Shovel", "Digs holes, fills holes, puts rats in holes."),
    ("Ice Pick", "Bought at The Ice Pick, from a man with a very serious knife."),
    ("Flensing Knife", "A whaler's blade, long and curved, for very big fish."),
    ("Frozen Tuna", "Hard as iron and only slightly fishy. Will thaw eventually."),
    ("Machete", "For problem vines and problem animals. Also problem people."),
    ("Pruning Shears", "Taken from a pirate in a sun hat. Snip snip."),
    ("Letter Opener", "Opens letters, envelopes, and the occasional bog clerk."),
    ("Paper Cutter", "A guillotine blade from a filing office. Cuts in triplicate."),
    ("Rubber Stamp", "A giant stamp from the Customs House. Stamps things. DENIED."),
    ("Dress Sword", "Made for parades, so blunt it is only mildly dangerous."),
    ("Bayonet", "Standard issue. The rifle was sold separately, and lost."),
    ("Fleet Sabre", "A Space Forces officer's sabre with a traitor's polish."),
    ("Forge Hammer", "Hammered out of refinery offcuts by a hammer hammered from more."),
    ("Lava Cleaver", "Glows orange at the edge. Cooks as it cuts."),
    ("Chainsaw Sword", "A sword with teeth, a motor, and no off switch."),
    ("Second Hand", "The hand of a great clock, ground sharp. It ticks when it hits."),
    ("Paradox Blade", "Cuts you before you are hit, which is confusing for both."),
    ("Pendulum Axe", "Swings harder every time it swings back."),
    ("Dune Scimitar", "A desert blade that whispers like wind over sand."),
    ("Temple Glaive", "A guardian's polearm, taken back from a guardian."),
    ("Relic Khopesh", "A sickle-sword from the first settlers. Probably."),
    ("Colonist's Sickle", "Harvested Lumen wheat once. Now it harvests other things."),
    ("Ghost Rapier", "Thin as a shadow. Passes through armour, and sometimes you."),
    ("Vigil Blade", "Kept at the Memorial, cold and sharp, in case of pirates."),
    ("Swordcane", "A walking cane with a blade inside, and a price tag outside."),
    ("Loan Shark Tooth", "A serrated knife that adds interest to every cut."),
    ("Fence's Stiletto", "A thin blade for opening locks, letters and arguments."),
    ("Boarding Axe", "Cuts rope, hull, and the pride of whoever is being boarded."),
    ("Dread Cutlass", "A veteran of the Corsair War, and proud of it."),
    ("Plasma Sabre", "A hilt full of plasma and a blade of contained temper."),
    ("Monofilament Whip", "A wire one molecule wide. Never coil it in a hurry."),
    ("Stillwave Edge", "Forged from a shard of the first Stillwave. Engines go quiet near it."),
    ("Void Katana", "Cuts through space itself. Space has filed a complaint."),
    ("Last Word", "The Admiral's cutlass. Once it speaks, nothing answers back."),
]

STAFFS = [
    ("Walking Stick", "For walking. And for hitting things that stop you walking."),
    ("Broom Handle", "The broom has retired. The handle has not."),
    ("Dowsing Rod", "Finds water, ore, and trouble, in roughly equal amounts."),
    ("Tent Pole", "Telescopic, aluminium, and mildly magical after a storm."),
    ("Fishing Rod", "Used by ice-fishers. Catches fish, mostly."),
    ("Icicle Wand", "A long icicle that never melts. Do not lick it."),
    ("Bamboo Staff", "Light, springy, and grown in a week in the Vega IV jungle."),
    ("Thornwood Staff", "Cut from the Seed Vault's own thornwood. It bites back."),
    ("Regulation Ruler", "Measures your enemy exactly, then punishes the result."),
    ("Giant Quill", "A pen mightier than a sword. Ink sold separately."),
    ("Bog Umbrella", "Keeps the swamp drizzle off and the spells on."),
    ("Conductor's Baton", "Conducts the parade band. Also conducts electricity."),
    ("Marshal's Baton", "Fleet Command's baton of office. Heavier than it looks."),
    ("Antenna Staff", "A bent radar antenna. Picks up spells and the parade band."),
    ("Fuel Rod", "Warm to the touch, glowing faintly. Wear gloves."),
    ("Coolant Rod", "Hisses frost in the middle of a furnace. Company property."),
    ("Furnace Poker", "Stirs coals, stirs trouble, stirs the union."),
    ("Minute Hand", "From the broken clock tower. Points at whoever is late."),
    ("Chronolite Wand", "A crystal that grows in loops of time, on a stick."),
    ("Hourglass Sceptre", "Turn it over and the fight starts again. Or seems to."),
    ("Shepherd's Crook", "Herds desert goats and dazed pilgrims alike."),
    ("Pilgrim's Staff", "Walked to the Eye of Aleph and back. It knows the way."),
    ("Sunstone Rod", "A rod of desert stone that drinks in light by day."),
    ("Bone Flute", "From the Ossuary. It plays one note, and it is sad."),
    ("Colony Beacon", "A Lumen colony's signal mast, still calling for help."),
    ("Lantern Staff", "A staff hung with a lantern that burns without oil."),
    ("Gambler's Cane", "Loaded dice in the knob. The cane is honest, mostly."),
    ("Broker's Cane", "Madame Sixpence's old cane. She sold it with a secret inside."),
    ("Forger's Sceptre", "A perfect copy of a sceptre that never existed."),
    ("Parrot Perch", "A pirate parrot's perch, still ringing with its insults."),
    ("Mast Splinter", "A spar from the Admiral's flagship, crackling with old storms."),
    ("Psionic Rod", "Amplifies thought. Your sidekick should not hold it."),
    ("Nebula Staff", "A crook of cold gas that swirls with newborn stars."),
    ("Quasar Wand", "Holds the light of a distant galaxy in its tip."),
    ("Starwoven Staff", "Threads of starlight spun tight around a staff of nothing."),
    ("Staff of Aleph", "The first staff of the first world. It remembers everything."),
]

HP_RESTORERS = [
    ("Stale Biscuit", "Found in a coat pocket. Crunchy in places it should not be."),
    ("Ration Bar", "Tastes faintly of cardboard, faintly of hope."),
    ("Canned Beans", "The label fell off years ago. Probably beans."),
    ("Fish Soup", "Glimmerholm's famous soup. The whole town smells of it."),
    ("Bandage Roll", "Sticky on one side, and on the other side too, sadly."),
    ("Canopy Mango", "Picked a mile up. Politely, in case the tree minds."),
    ("Herbal Poultice", "Moss, mud and a leaf. Works better than it should."),
    ("Sick Note", "A Guelf form granting you permission to get better. Stamped."),
    ("First Aid Tin", "Plasters, a splint, and a very old mint."),
    ("Field Dressing", "Space Forces issue. Folded into a perfect regulation square."),
    ("Army Ration", "Surplus from the Corsair War. Still edible, technically."),
    ("Medkit", "A proper kit with proper bandages. You feel almost proper."),
    ("Union Pie", "The Union Hall's excellent pie. Agreed on by both sides."),
    ("Regen Patch", "Stick it on, wait a minute, feel the skin knit."),
    ("Rewind Pill", "Undoes the last few wounds. And your last few sentences."),
    ("Nanite Salve", "Tiny robots that repair you, then ask for a review."),
    ("Pilgrim Bread", "Baked on the temple steps. Miracles not guaranteed."),
    ("Lumen Broth", "A colony recipe kept alive by the few who came home."),
    ("Auto-Doc Kit", "A tin box that diagnoses, stitches and tuts at you."),
    ("Bazaar Miracle", "A genuine miracle from the bazaar. Comes with a receipt."),
    ("Trauma Foam", "Spray it into a wound and it sets like a good decision."),
    ("Cloning Vat Juice", "Regrows what you lost. Try not to read the label."),
    ("Regenerator Cell", "A glowing cell that rebuilds you from the bones out."),
    ("Angel Gel", "Cool, blue and faintly glowing. The pain simply leaves."),
    ("Phoenix Draught", "Burns on the way down, and then you rise again."),
]

MP_RESTORERS = [
    ("Fizzy Ether", "Bubbles up the nose, sparks behind the eyes."),
    ("Instant Coffee", "Dissolves in water, and in most other things."),
    ("Energy Drink", "Neon green, legally a beverage, very loud."),
    ("Aurora Candy", "A rock of sugar that glows like the Empyreon sky."),
    ("Sap Shot", "A thimble of Vega IV tree sap. You can hear colours."),
    ("Mushroom Tea", "Brewed from the blue glowing caps. Probably safe."),
    ("Bog Water", "Straight from the Archive Marshes. Tastes of ink."),
    ("Coffee Break", "Guelf's only approved pause. Fifteen minutes, stamped."),
    ("Pending Nap", "A nap at the Pending Inn, approved retroactively."),
    ("Mess Hall Cocoa", "Navy cocoa, thick enough to stand a spoon up in."),
    ("Focus Pills", "Sharpen your mind. Side effects include counting things."),
    ("Spring Water", "From the sulphur springs of Titan II. The smell is free."),
    ("Ether Cell", "A sealed vial of raw ether that hums against your palm."),
    ("Tuesday Espresso", "Brewed at the Eternal Tuesday. It is always breakfast."),
    ("Chronolite Dust", "A pinch of time crystal. Sneeze and you lose an hour."),
    ("Temple Incense", "Burned before the Eye. Clears the head, fogs the room."),
    ("Oasis Water", "Cool water from a desert well. Pilgrims walk days for it."),
    ("Ghostlight Vial", "Pale light in a bottle, gathered at the Memorial."),
    ("Lantern Oil", "Burns bright in a lantern, brighter in your head."),
    ("Bottled Secret", "Madame Sixpence sells them by the word. Drink, and know."),
    ("Psi Crystal", "A crystal that thinks. Hold it and it thinks for you."),
    ("Nebula Nectar", "Sweet, cold and full of tiny stars."),
    ("Void Essence", "A drop of the deep dark. It stares back."),
    ("Starlight Syrup", "Poured slowly from a jar of starlight. Very sticky."),
    ("Star Tea", "Brewed from the light of dying stars. Milk optional."),
]

HYBRID_RESTORERS = [
    ("Grog", "Rum, water and something else. Best not to ask what."),
    ("Mystery Stew", "The Leaky Airlock's special. The mystery is the meat."),
    ("Leftover Pizza", "From the ship's fridge. Toppings have evolved."),
    ("Thawing Toddy", "The Thawing Hearth's hot drink. Warms you to the toes."),
    ("Jungle Smoothie", "Blended fruit, nuts, and one tree frog, by accident."),
    ("Canopy Nectar", "Drunk from a flower a mile up. The flower is smug."),
    ("Queue Sandwich", "Eaten in line on Guelf. Tastes of waiting."),
    ("Clerk's Lunchbox", "A sandwich, an apple, and a form to sign for them."),
    ("Swamp Gumbo", "Simmered in a Stampford kettle for three working weeks."),
    ("Victory Punch", "Served at every parade. Forty years of victory, one bowl."),
    ("Veteran's Tonic", "A veteran's own recipe. He will tell you all about it."),
    ("Surplus Ration Pack", "A whole meal in a tin, and a spoon to go with it."),
    ("Sulphur Bath Salts", "Dissolve in a hot bath and breathe in. Eyes water."),
    ("Eternal Breakfast", "Eggs, toast and tea, always being served."),
    ("Paradox Pudding", "You have already eaten it, so you may as well."),
    ("Miracle Water", "Blessed at the Temple of the Eye, bottled at the bazaar."),
    ("Desert Dates", "Sweet dates from the oases of Aleph. Sticky fingers."),
    ("Memorial Wine", "Poured for the lost colonies. A glass for the living too."),
    ("Cutthroat Chowder", "The Cheerful Cutthroat's chowder. The name is the cook."),
    ("Drowned Parrot Rum", "The Admiral's own ration. The parrot wants some."),
    ("Pirate Panacea", "Cures scurvy, wounds, and the urge to mutiny."),
    ("Nebula Cordial", "A cordial distilled from nebula vapour."),
    ("Starfruit Wine", "Made from fruit grown on a moon that orbits a star."),
    ("Ambrosia", "Food of heroes. Tastes of honey and victory."),
    ("Elixir", "The real one. Heals body and mind, and tastes of nothing at all."),
]

# Prefixes by element, each section from shabby to legendary.
PREFIXES = {
    "fire": ["Sooty", "Singed", "Smouldering", "Fireproof", "Charred", "Kiln-Fired", "Ember-Lit",
             "Blazing", "Molten", "Salamander", "Furnace-Born", "Sunforged", "Infernal", "Supernova"],
    "ice": ["Woolly", "Chilly", "Frosted", "Frostbound", "Rimed", "Icebound", "Wintry", "Glacial",
            "Hailstruck", "Polar", "Permafrost", "Cryogenic", "Deep-Frozen", "Absolute-Zero"],
    "light": ["Polished", "Shiny", "Gleaming", "Mirrored", "Lustrous", "Prismatic", "Radiant-Cut",
              "Dazzling", "Sunlit", "Luminous", "Haloed", "Lumen-Blessed", "Eye-Touched", "Blinding"],
    "dark": ["Tarred", "Grimy", "Dusky", "Shadowed", "Murky", "Gloomwoven", "Moonless", "Eclipsed",
             "Umbral", "Nightshade", "Voidtouched", "Nightjar's", "Abyssal", "Starless"],
    "normal": ["Humming", "Buzzing", "Crackling", "Grounded", "Tuned", "Resonant", "Ethereal", "Phased",
               "Time-Looped", "Astral", "Cosmic", "Paradoxical", "Transcendent", "Omnipresent"],
}

# Suffixes by what they raise, each section from shabby to legendary.
SUFFIXES = {
    "Attack": ["of Spite", "of Grudges", "of Mischief", "of Fury", "of Havoc", "of the Brawler",
               "of Mayhem", "of the Berserker", "of Ruin", "of the Corsair", "of Carnage",
               "of the Warlord", "of Annihilation", "of Armageddon"],
    "Defense": ["of Padding", "of the Turtle", "of Bubble Wrap", "of the Armadillo", "of the Bulwark",
                "of the Rampart", "of Warding", "of the Citadel", "of the Bastion", "of the Fortress",
                "of the Aegis", "of the Ironclad", "of the Dreadnought", "of the Unbreakable"],
    "Hp": ["of Vigour", "of Second Helpings", "of Stamina", "of the Ox", "of Vitality", "of the Bear",
           "of Endurance", "of the Mammoth", "of the Space-Whale", "of the Titan", "of the Behemoth",
           "of the Colossus", "of Immortality", "of the Undying"],
    "Mp": ["of the Puddle", "of the Well", "of Focus", "of Clarity", "of the Deep Spring", "of Reverie",
           "of the Tide", "of the Aurora", "of Meditation", "of the Oracle", "of the Nebula",
           "of the Ether Sea", "of Boundless Mind", "of the Infinite"],
    "Magic": ["of Hunches", "of Insight", "of the Apprentice", "of the Scholar", "of Lore", "of the Sage",
              "of the Magus", "of Arcana", "of the Seer", "of the Archmage", "of the Stars",
              "of the Keeper", "of the Eye", "of Omniscience"],
    "Speed": ["of Scurrying", "of Haste", "of Swiftness", "of the Weasel", "of the Wind", "of the Falcon",
              "of the Comet", "of Afterburners", "of the Slipstream", "of Warp", "of the Meteor",
              "of Hyperdrive", "of Lightspeed", "of the Instant"],
}

PREFIX_ELEMENTS = ["fire", "ice", "light", "dark", "normal"]
SUFFIX_KINDS = ["Attack", "Defense", "Hp", "Mp", "Magic", "Speed"]

# The nine base files in the order the game numbers item types.
BASE_FILES = [
    ("boots.txt", BOOTS, EQUIPMENT_LEVELS, boots_stats),
    ("shields.txt", SHIELDS, EQUIPMENT_LEVELS, shield_stats),
    ("headgear.txt", HEADGEAR, EQUIPMENT_LEVELS, headgear_stats),
    ("guns.txt", GUNS, EQUIPMENT_LEVELS, gun_stats),
    ("swords.txt", SWORDS, EQUIPMENT_LEVELS, sword_stats),
    ("staffs.txt", STAFFS, EQUIPMENT_LEVELS, staff_stats),
    ("hp.txt", HP_RESTORERS, CONSUMABLE_LEVELS, no_stats),
    ("mp.txt", MP_RESTORERS, CONSUMABLE_LEVELS, no_stats),
    ("hybrid.txt", HYBRID_RESTORERS, CONSUMABLE_LEVELS, no_stats),
]
# Rewards the campaign hands out by name, with the level the plan expects.
NAMED_REWARDS = [
    ("headgear.txt", "Hardhat", 3), ("guns.txt", "Harpoon Gun", 12), ("hp.txt", "Fish Soup", 10),
    ("staffs.txt", "Thornwood Staff", 21), ("swords.txt", "Rubber Stamp", 30),
    ("swords.txt", "Fleet Sabre", 39), ("boots.txt", "Heatproof Greaves", 48),
    ("shields.txt", "Pendulum Shield", 57), ("headgear.txt", "Keeper Circlet", 66),
    ("staffs.txt", "Lantern Staff", 75), ("boots.txt", "Smuggler Boots", 84),
]


# ---------------------------------------------------------------- writing

PAD_LABEL = "Padding"   # filler line the game skips over; lets sections line up
PAD_MIN_LINE, PAD_MAX_LINE = 60, 100
SECTION_SLACK = 120     # every section gets at least this much filler


def record_text(fields):
    return "".join(f"{label}: {value}\n" for label, value in fields)


def base_records(entries, levels, stats):
    if len(entries) != len(levels):
        fail(f"{len(entries)} entries for {len(levels)} levels")
    records = []
    for (name, description), level in zip(entries, levels):
        fields = [("_Name", name), ("Level", level), ("Description", description)]
        fields += stats(level)
        records.append(record_text(fields))
    return records


def pad_line(size):
    return f"{PAD_LABEL}: " + "~" * (size - len(PAD_LABEL) - 3) + "\n"


def lay_out_sections(sections):
    """Pads each section of records to the same byte length.

    The filler is spread over the last records of a section, at most one
    line of 60 to 100 bytes per record, so no skip between records comes near
    256 characters and the end of every section is free of underscores.
    """
    length = max(sum(map(len, records)) for records in sections) + SECTION_SLACK
    text = []
    for records in sections:
        padding = length - sum(map(len, records))
        lines = math.ceil(padding / PAD_MAX_LINE)
        if lines > len(records):
            fail("too few records to carry the section padding")
        sizes = [padding // lines] * lines
        for i in range(padding % lines):
            sizes[-1 - i] += 1
        padded = list(records)
        for i, size in enumerate(sizes):
            padded[len(records) - lines + i] += pad_line(size)
        text.extend(padded)
    return "".join(text), length


def affix_sections(table, order, label):
    sections = []
    for group in order:
        names = table[group]
        if len(names) != len(AFFIX_LEVELS):
            fail(f"{group}: {len(names)} names for {len(AFFIX_LEVELS)} levels")
        sections.append([record_text([("_Name", n), ("Level", lv), (label, group)])
                         for n, lv in zip(names, AFFIX_LEVELS)])
    return sections


def build_files():
    files = {}
    for file_name, entries, levels, stats in BASE_FILES:
        files[file_name] = "".join(base_records(entries, levels, stats))
    files["prefix.txt"], _ = lay_out_sections(affix_sections(PREFIXES, PREFIX_ELEMENTS, "Element"))
    files["suffix.txt"], _ = lay_out_sections(affix_sections(SUFFIXES, SUFFIX_KINDS, "Kind"))
    return files


# ---------------------------------------------------------------- checking

problems = []
longest_skip = [0]  # the longest skip any emulated read made, for the summary


def fail(message):
    raise SystemExit(f"make_items: {message}")


def problem(where, message):
    if f"{where}: {message}" not in problems:
        problems.append(f"{where}: {message}")


class GameReader:
    """Reads a file the way the game's item scanner does."""

    def __init__(self, data, position=0):
        self.data, self.pos, self.good = data, position, True

    def ignore(self, delimiter):  # skip up to 256 characters through the delimiter
        for count in range(1, 257):
            if self.pos >= len(self.data):
                self.good = False
                return False
            c = self.data[self.pos]
            self.pos += 1
            if c == delimiter:
                longest_skip[0] = max(longest_skip[0], count)
                return True
        raise AssertionError(f"no '{delimiter}' within 256 characters before byte {self.pos}")

    def rest_of_line(self):
        end = self.data.find("\n", self.pos)
        end = len(self.data) if end < 0 else end
        line, self.pos = self.data[self.pos:end], end + 1
        return line

    def value_line(self):  # skip to the colon, step over the blank, take the line
        if not self.ignore(":"):
            return None
        self.pos += 1
        return self.rest_of_line()

    def name_line(self):  # returns (name, position of its underscore)
        if not self.ignore("_"):
            return None, None
        start = self.pos - 1
        return self.value_line(), start

    def number(self):
        if not self.ignore(":"):
            return None
        end = self.pos
        while end < len(self.data) and self.data[end] not in "\n":
            end += 1
        text, self.pos = self.data[self.pos:end].strip(), end
        return float(text)

    def find_by_level(self, wanted):
        """The record the game's level search stops at: (name, level, underscore position)."""
        found = (None, None, None)
        while True:
            name, start = self.name_line()
            if name is None:
                return found
            level = self.number()
            if level is None:
                return found
            found = (name, level, start)
            if not wanted > level:
                return found

    def find_by_name(self, full_name, position):
        """New position after the matched word, or the old one; and the matched name."""
        while True:
            name, _ = self.name_line()
            if name is None:
                return position, None
            if full_name[position:position + len(name)] == name:
                return position + len(name) + 1, name


def title_case(name):
    """The game's capitalisation of a typed or saved item name."""
    out = list(name)
    for i, c in enumerate(name):
        if (i == 0 or name[i - 1] in " -") and not (name.startswith("of ", i) or name.startswith("the ", i)):
            out[i] = c.upper()
    return "".join(out)


LAYOUTS = {
    "boots.txt": ["_Name", "Level", "Description", "Speed", "LowDef"],
    "shields.txt": ["_Name", "Level", "Description", "MidDef"],
    "headgear.txt": ["_Name", "Level", "Description", "HighDef"],
    "guns.txt": ["_Name", "Level", "Description", "Attack"],
    "swords.txt": ["_Name", "Level", "Description", "Attack"],
    "staffs.txt": ["_Name", "Level", "Description", "Attack"],
    "hp.txt": ["_Name", "Level", "Description"],
    "mp.txt": ["_Name", "Level", "Description"],
    "hybrid.txt": ["_Name", "Level", "Description"],
    "prefix.txt": ["_Name", "Level", "Element"],
    "suffix.txt": ["_Name", "Level", "Kind"],
}
BASE_NAMES = [f for f, *_ in BASE_FILES]
NAME_LIMITS = {"prefix.txt": 14, "suffix.txt": 18}
BASE_NAME_LIMIT, DESCRIPTION_LIMIT, LINE_LIMIT, GAP_LIMIT = 20, 70, 120, 200


def parse_records(file_name, data):
    """Splits a file into records and checks every line against the layout."""
    layout = LAYOUTS[file_name]
    if not data.endswith("\n"):
        problem(file_name, "does not end with a newline")
    if any(not (32 <= ord(c) < 127 or c == "\n") for c in data):
        problem(file_name, "holds a character other than printable ASCII and LF")
    if not data.startswith("_"):
        problem(file_name, "does not start with a record")
    records, offset = [], 0
    for number, chunk in enumerate(data.split("\n_")):
        text = chunk if number == 0 else "_" + chunk
        start = offset
        offset += len(text) + 1
        lines = text.rstrip("\n").split("\n")
        where = f"{file_name} record {number + 1}"
        fields, tail_length = {}, 0
        for index, line in enumerate(lines):
            if len(line) > LINE_LIMIT:
                problem(where, f"line longer than {LINE_LIMIT} characters")
            label, colon, value = line.partition(": ")
            if not colon or ":" in label or not value or value != value.strip():
                problem(where, f"line is not 'Label: value': {line!r}")
            if ":" in value or "_" in value or "_" in label[1:]:
                problem(where, f"colon or underscore inside {line!r}")
            if index < len(layout):
                if label != layout[index]:
                    problem(where, f"line {index + 1} should be {layout[index]}, is {label}")
                fields[label] = value
            elif label == PAD_LABEL and file_name in NAME_LIMITS and set(value) == {"~"}:
                tail_length += len(line) + 1
            else:
                problem(where, f"unexpected line {line!r}")
        if len(lines) < len(layout):
            problem(where, "record is missing lines")
        if tail_length + 1 > GAP_LIMIT:
            problem(where, f"{tail_length} characters of filler before the next record")
        fields["start"] = start
        records.append(fields)
    return records


def level_of(record, where):
    try:
        level = float(record.get("Level", "x"))
    except ValueError:
        problem(where, f"level {record.get('Level')!r} is not a number")
        return 0
    if level != int(level):
        problem(where, "level is not a whole number")
    return int(level)


def check_climb(where, records, top, base_file):
    levels = [level_of(r, where) for r in records]
    if not levels or levels[0] != 1:
        problem(where, "does not start at level 1")
    if levels and levels[-1] < top:
        problem(where, f"ends at level {levels[-1]}, below {top}")
    for a, b in zip(levels, levels[1:]):
        if b <= a:
            problem(where, f"levels do not climb ({a} then {b})")
        if base_file and b - a > (4 if a < 40 else 6):
            problem(where, f"gap of {b - a} levels after level {a}")
    return levels


def check_base_file(file_name, data):
    records = parse_records(file_name, data)
    levels = check_climb(file_name, records, 110, True)
    for label in LAYOUTS[file_name][3:]:
        values = [float(r.get(label, 0)) for r in records]
        if any(v <= 0 for v in values) or values != sorted(values):
            problem(file_name, f"{label} values do not grow with level")
    for r in records:
        if len(r.get("Description", "")) > DESCRIPTION_LIMIT:
            problem(file_name, f"description of {r['_Name']} is over {DESCRIPTION_LIMIT} characters")
        if len(r.get("_Name", "")) > BASE_NAME_LIMIT:
            problem(file_name, f"name {r['_Name']} is over {BASE_NAME_LIMIT} characters")
    # The level search from the top of the file finds the first record at or
    # above the wanted level, or the last record.
    for wanted in range(-40, 131):
        name, level, _ = GameReader(data).find_by_level(wanted)
        expected = next((lv for lv in levels if lv >= wanted), levels[-1])
        if level != expected:
            problem(file_name, f"level search for {wanted} found {name} ({level}), wanted level {expected}")
    return records, levels


def check_affix_file(file_name, data, groups, label, seek):
    records = parse_records(file_name, data)
    sections = []
    for group in groups:
        run = [r for r in records if r.get(label) == group]
        sections.append(run)
    if sum(map(len, sections)) != len(records):
        problem(file_name, f"a record has an unknown {label}")
    flat = [r for run in sections for r in run]
    if flat != records:
        problem(file_name, f"sections are not in the order {', '.join(groups)}")
    for group, run in zip(groups, sections):
        check_climb(f"{file_name} {group}", run, 120, False)
    # Seek where the game seeks; the next record must open the right section,
    # and every level search from there must stay inside it.
    for index, (group, run) in enumerate(zip(groups, sections)):
        offset = seek(len(data), index)
        reader = GameReader(data, offset)
        name, start = reader.name_line()
        if not run or start != run[0]["start"]:
            problem(file_name, f"seek for {group} to byte {offset} lands on {name}, not on {run[0]['_Name']}")
            continue
        starts = {r["start"] for r in run}
        for wanted in range(-40, 121):
            found, level, where = GameReader(data, offset).find_by_level(wanted)
            if where not in starts:
                problem(file_name, f"level search for {wanted} from the {group} section ran into {found}")
                break
    for r in records:
        if len(r.get("_Name", "")) > NAME_LIMITS[file_name]:
            problem(file_name, f"name {r['_Name']} is over {NAME_LIMITS[file_name]} characters")
    return records


def check_name_form(where, name, is_suffix):
    if title_case(name) != name:
        problem(where, f"{name!r} is not in title case (would become {title_case(name)!r})")
    words = name.replace("-", " ").split(" ")
    for i, word in enumerate(words):
        if not word:
            problem(where, f"{name!r} has an empty word")
        elif word in ("of", "the") and (i > 0 or is_suffix):
            continue
        elif not "A" <= word[0] <= "Z":
            problem(where, f"{name!r}: word {word!r} does not start with a capital letter")
    if is_suffix and not name.startswith("of "):
        problem(where, f"suffix {name!r} does not start with 'of'")
    if not is_suffix and (name.startswith("of ") or name.startswith("the ")):
        problem(where, f"{name!r} starts with 'of' or 'the'")


def check_starts(where, names, others=None):
    """No name may begin with the whole of another (the game matches beginnings)."""
    pairs = [(a, b) for a in names for b in (others or names) if a != b or others]
    for a, b in pairs:
        if b.startswith(a):
            problem(where, f"{b!r} begins with {a!r}")


def check_round_trip(files, prefixes, bases, suffixes):
    """Takes full names apart the way the game does when it loads an item."""
    def rebuild(full):
        full = title_case(full)
        position, prefix = GameReader(files["prefix.txt"]).find_by_name(full, 0)
        base = None
        for file_name in BASE_NAMES:
            position2, base = GameReader(files[file_name]).find_by_name(full, position)
            if base is not None:
                position = position2
                break
        suffix = None
        if position < len(full):
            position, suffix = GameReader(files["suffix.txt"]).find_by_name(full, position)
        return prefix, base, suffix

    cases = []
    for i, base in enumerate(bases):
        cases += [(None, base, None), (prefixes[i % len(prefixes)], base, None),
                  (None, base, suffixes[i % len(suffixes)]),
                  (prefixes[(7 * i) % len(prefixes)], base, suffixes[(5 * i) % len(suffixes)])]
    for i, prefix in enumerate(prefixes):
        cases.append((prefix, bases[(3 * i) % len(bases)], suffixes[i % len(suffixes)]))
    for i, suffix in enumerate(suffixes):
        cases.append((prefixes[i % len(prefixes)], bases[(11 * i) % len(bases)], suffix))
    for case in cases:
        full = " ".join(part for part in case if part)
        if rebuild(full) != case:
            problem("names", f"{full!r} is taken apart as {rebuild(full)}")
    return len(cases)


def check_all(files):
    base_names, summary, levels_by_name = [], [], {}
    for file_name in BASE_NAMES:
        records, levels = check_base_file(file_name, files[file_name])
        base_names += [r["_Name"] for r in records]
        levels_by_name.update({(file_name, r["_Name"]): int(r["Level"]) for r in records})
        summary.append((file_name, len(records), f"{levels[0]}-{levels[-1]}"))
    prefix_records = check_affix_file("prefix.txt", files["prefix.txt"], PREFIX_ELEMENTS, "Element",
                                      lambda size, e: (size // 5) * e)
    suffix_records = check_affix_file("suffix.txt", files["suffix.txt"], SUFFIX_KINDS, "Kind",
                                      lambda size, k: (size // 6 - 10) * k)
    prefixes = [r["_Name"] for r in prefix_records]
    suffixes = [r["_Name"] for r in suffix_records]
    summary.append(("prefix.txt", len(prefixes), "1-120 in each of 5 sections"))
    summary.append(("suffix.txt", len(suffixes), "1-120 in each of 6 sections"))

    for names, where in ((base_names, "base names"), (prefixes, "prefixes"), (suffixes, "suffixes")):
        if len(set(names)) != len(names):
            problem(where, "a name is used twice")
        for name in names:
            check_name_form(where, name, names is suffixes)
    check_starts("prefixes", prefixes)
    check_starts("base names", base_names)
    check_starts("suffixes", suffixes)
    check_starts("prefix and base names", prefixes, base_names)
    check_starts("base and prefix names", base_names, prefixes)
    cases = check_round_trip(files, prefixes, base_names, suffixes)

    for file_name, name, level in NAMED_REWARDS:
        found = levels_by_name.get((file_name, name))
        if found is None:
            problem(file_name, f"named reward {name} is missing")
        elif abs(found - level) > 3:
            problem(file_name, f"named reward {name} is at level {found}, planned about {level}")
    return summary, cases


def main():
    only_check = "--check" in sys.argv[1:]
    if not only_check:
        os.makedirs(ITEM_DIR, exist_ok=True)
        for file_name, text in build_files().items():
            with open(os.path.join(ITEM_DIR, file_name), "w", encoding="ascii", newline="\n") as out:
                out.write(text)
    files = {}
    for file_name in LAYOUTS:
        with open(os.path.join(ITEM_DIR, file_name), encoding="ascii", newline="") as f:
            files[file_name] = f.read()
    try:
        summary, cases = check_all(files)
    except AssertionError as error:
        problems.append(str(error))
        summary, cases = [], 0
    if problems:
        for line in problems:
            print("make_items:", line, file=sys.stderr)
        raise SystemExit(f"make_items: {len(problems)} problem(s) in gamedata/items")
    for file_name, count, levels in summary:
        size = len(files[file_name])
        print(f"  {file_name:<13} {count:3d} records  levels {levels:<28} {size:6d} bytes")
    print(f"  longest skip {longest_skip[0]} characters (limit 256); every affix section found by its seek;")
    print(f"  {cases} full names taken apart and rebuilt")


if __name__ == "__main__":
    main()
